#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Rewrites the reference screenshots of the windows (tests/data/screens) after a deliberate change of their look,
# and the README's pictures in docs/ from them. Run from the repository: tests/update-screens.sh [build folder]
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
cmake --build "$build" --target tests_screens
(cd "$build" && QUENDRY_UPDATE_SCREENS=1 QT_QPA_PLATFORM=offscreen ctest -R '^ScreensTest' --output-on-failure)
screens=$root/tests/data/screens
cp "$screens/main-general@1.png" "$root/docs/main-window.png"
for name in about-box fog-settings msg-settings new-setting; do
    cp "$screens/$name@1.png" "$root/docs/$name.png"
done
(cd "$build" && QT_QPA_PLATFORM=offscreen ctest -R '^ScreensTest' --output-on-failure)
