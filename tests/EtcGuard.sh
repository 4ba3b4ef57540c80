#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The suite's guard of the system's configuration: `record LISTING` before the first test, `compare LISTING` after
# the last. The listing holds every entry of /etc (or of FOLDER) with its type, mode, owner, size, time and link
# target, and the checksum of every file the suite's user may read, so that a test that wrote, replaced, linked or
# removed anything there fails the run, whatever the test said of itself.
# Usage: EtcGuard.sh record|compare LISTING [FOLDER]
set -eu
mode=$1
listing=$2
folder=${3:-/etc}

list_etc() {
    LC_ALL=C find "$folder" -xdev -printf '%y %m %U:%G %s %T@ %p -> %l\n' | LC_ALL=C sort
    LC_ALL=C find "$folder" -xdev -type f -readable -print0 | LC_ALL=C sort -z | xargs -0 -r sha256sum
}

case $mode in
record)
    list_etc >"$listing"
    echo "Recorded $folder: $(wc -l <"$listing") lines in $listing"
    ;;
compare)
    now=$listing.now
    list_etc >"$now"
    if ! diff -u "$listing" "$now"; then
        echo "The tests changed $folder (lines of the listing before and after above)." >&2
        exit 1
    fi
    rm -f "$now"
    echo "$folder is as it was before the tests"
    ;;
*)
    echo "usage: $0 record|compare LISTING [FOLDER]" >&2
    exit 2
    ;;
esac
