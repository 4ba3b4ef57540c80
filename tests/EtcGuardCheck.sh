#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The guard of /etc, tried on a folder of its own: it passes on an untouched folder and fails on each change a
# stray test could make there (content rewritten in place with its old time, a mode, a new file, a removed file,
# a replaced link).
# Usage: EtcGuardCheck.sh GUARD
set -eu
guard=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tree=$work/etc

fresh() {
    rm -rf "$tree"
    mkdir -p "$tree/sub"
    printf 'root:x:0:0\n' >"$tree/passwd"
    printf 'kept\n' >"$tree/sub/kept"
    ln -s passwd "$tree/link"
    sh "$guard" record "$work/listing" "$tree" >/dev/null
}

expect_caught() {
    if sh "$guard" compare "$work/listing" "$tree" >/dev/null 2>&1; then
        echo "the guard missed: $1" >&2
        exit 1
    fi
}

fresh
sh "$guard" compare "$work/listing" "$tree" >/dev/null || { echo "the guard fails an untouched folder" >&2; exit 1; }

fresh
touch -r "$tree/passwd" "$work/stamp"
printf 'root:y:0:0\n' >"$tree/passwd"
touch -r "$work/stamp" "$tree/passwd"
expect_caught "content rewritten with the same size and time"

fresh
chmod 0600 "$tree/passwd"
expect_caught "a mode"

fresh
printf 'x' >"$tree/sub/new"
expect_caught "a new file"

fresh
rm "$tree/sub/kept"
expect_caught "a removed file"

fresh
ln -sf sub/kept "$tree/link"
expect_caught "a replaced link"
echo "the guard caught every change"
