#!/bin/sh
# Sets the header checksum of a PE image to 0 (the field lies 64 bytes into
# the optional header), so the stub can carry appended data without a
# checksum that no longer matches.
set -eu
image=$1
pe=$(od -An -t u4 -j 60 -N 4 "$image" | tr -d ' ')
offset=$((pe + 4 + 20 + 64))
printf '\000\000\000\000' | dd of="$image" bs=1 seek="$offset" count=4 conv=notrunc status=none
