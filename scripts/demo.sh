#!/usr/bin/env bash
# The main job on the built-in sample: builds the stubs and qelpack, packs
# the sample secondary library into a package, runs it, and shows what its
# Setup entry received and what the run left behind. Runs the native
# package, and the 64-bit Windows package under wine64 when it is present.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
qelpack=build/native/qelpack

echo
echo "== Native package"
mkdir -p "$work/native/temp"
"$qelpack" build --stub build/native/qelsetup --library build/native/samples/sample_setup.so \
    --name Setup1.Qel -o "$work/native/setup"
"$qelpack" verify "$work/native/setup"
echo "-- running $work/native/setup"
status=0
TMPDIR="$work/native/temp" "$work/native/setup" || status=$?
echo "-- exit status $status; left in the temporary directory: $(ls -A "$work/native/temp" | wc -l) files"

wine=/usr/lib/wine/wine64
if [ -x "$wine" ]; then
    echo
    echo "== 64-bit Windows package under wine64"
    mkdir -p "$work/windows"
    "$qelpack" build --stub build/mingw64/qelsetup.exe --library build/mingw64/samples/sample_setup.dll \
        --name Setup1.Qel -o "$work/windows/setup.exe"
    "$qelpack" verify "$work/windows/setup.exe"
    export WINEPREFIX="$work/wineprefix" DISPLAY=
    echo "-- preparing a private Wine prefix"
    WINEDEBUG=-all "$wine" wineboot --init >/dev/null 2>&1 || true
    echo "-- running setup.exe (the sample shows the path in a box; without a display it returns at once)"
    status=0
    WINEDEBUG=-all,+relay "$wine" "$work/windows/setup.exe" 2>"$work/relay.log" || status=$?
    grep -E 'Call (user32|USER32)\.MessageBoxA' "$work/relay.log" | grep -v '"Setup",00000010' \
        | sed -E 's/.*MessageBoxA\([0-9a-f]+,[0-9a-f]+ ("[^"]*").*/   Setup received: \1/' || true
    temp=$(find "$WINEPREFIX/drive_c/users" -maxdepth 2 -name Temp | grep -v Public | head -n 1)
    echo "-- exit status $status; _setup.dll left in $temp: $( [ -e "$temp/_setup.dll" ] && echo yes || echo no)"
    echo "   (the 32-bit product, build/mingw32/qelsetup.exe, cannot run on this 64-bit-only kernel)"
fi
