#!/usr/bin/env bash
# Prints the performance report: every figure measured side by side in
# this one run. Build first (scripts/build.sh); then: bench/report.sh
set -euo pipefail
cd "$(dirname "$0")/.."
native=build/native
bench=$native/bench
for tool in "$bench/expand_tool" "$bench/compress_tool" "$bench/run_timer" "$native/qelpack"; do
    [ -x "$tool" ] || { echo "missing $tool: run scripts/build.sh first" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
runs=3

# best_seconds COMMAND...: the fastest wall time of $runs runs.
best_seconds() {
    local best=""
    for _ in $(seq "$runs"); do
        local start end
        start=$(date +%s.%N)
        "$@" >/dev/null 2>&1
        end=$(date +%s.%N)
        best=$(echo "$start $end ${best:-1e9}" | awk '{t = $2 - $1; print (t < $3 ? t : $3)}')
    done
    echo "$best"
}
rate() { awk -v bytes="$1" -v seconds="$2" 'BEGIN { printf "%.1f", bytes / seconds / 1e6 }'; }

libraries=(/usr/i686-w64-mingw32/lib/zlib1.dll
           /usr/lib/gcc/i686-w64-mingw32/12-win32/libgcc_s_dw2-1.dll
           /usr/lib/gcc/i686-w64-mingw32/12-win32/libstdc++-6.dll)

echo "## Compression (sizes in bytes; speeds in MB/s of input)"
echo
echo "| library | size | gzip -9 | xz -9 | qelpack optimal | qelpack --fast | fast vs optimal | gzip -9 MB/s | optimal MB/s | --fast MB/s |"
echo "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|"
for library in "${libraries[@]}"; do
    [ -f "$library" ] || continue
    size=$(stat -c %s "$library")
    name=$(basename "$library")
    gzip -9 -c "$library" >"$work/$name.gz"
    xz -9 -c "$library" >"$work/$name.xz"
    "$bench/compress_tool" "$library" "$work/$name.opt"
    "$bench/compress_tool" --fast "$library" "$work/$name.fast"
    optimal=$(stat -c %s "$work/$name.opt")
    fast=$(stat -c %s "$work/$name.fast")
    gzip_time=$(best_seconds sh -c "gzip -9 -c '$library' >/dev/null")
    optimal_time=$(best_seconds "$bench/compress_tool" "$library" /dev/null)
    fast_time=$(best_seconds "$bench/compress_tool" --fast "$library" /dev/null)
    echo "| $name | $size | $(stat -c %s "$work/$name.gz") | $(stat -c %s "$work/$name.xz") | $optimal | $fast" \
         "| +$(awk -v a="$fast" -v b="$optimal" 'BEGIN { printf "%.1f%%", 100 * (a - b) / b }')" \
         "| $(rate "$size" "$gzip_time") | $(rate "$size" "$optimal_time") | $(rate "$size" "$fast_time") |"
done

echo
echo "## Expansion (MB/s of output, whole processes, best of $runs)"
echo
echo "| library | gzip -dc | stub's expander |"
echo "|---|---:|---:|"
for library in "${libraries[@]}"; do
    [ -f "$library" ] || continue
    size=$(stat -c %s "$library")
    name=$(basename "$library")
    gzip_time=$(best_seconds sh -c "gzip -dc '$work/$name.gz' >/dev/null")
    qel_time=$(best_seconds "$bench/expand_tool" "$work/$name.opt" /dev/null)
    echo "| $name | $(rate "$size" "$gzip_time") | $(rate "$size" "$qel_time") |"
done

echo
echo "## Peak memory of expanding (resident KiB)"
echo
echo "| payload | compressed | peak |"
echo "|---|---:|---:|"
for mebibytes in 1 64; do
    head -c $((mebibytes * 1048576)) <(while cat /usr/lib/gcc/i686-w64-mingw32/12-win32/libstdc++-6.dll; do :; done) >"$work/payload"
    "$bench/compress_tool" --fast "$work/payload" "$work/payload.qel"
    peak=$("$bench/expand_tool" --peak "$work/payload.qel" /dev/null 2>&1)
    echo "| $mebibytes MiB | $(stat -c %s "$work/payload.qel") | $peak |"
done

echo
echo "## The stub"
echo
stub=build/mingw32/qelsetup.exe
[ -f "$stub" ] && echo "- 32-bit Windows image: $(stat -c %s "$stub") bytes"
mkdir -p "$work/run/temp"
"$native/qelpack" build --stub "$native/qelsetup" --library "$bench/timing_setup.so" --name Setup1.Qel \
    -o "$work/run/setup" >/dev/null
echo "- native run, process start to the return of Setup (best of 10): $(TMPDIR="$work/run/temp" "$bench/run_timer" "$work/run/setup" "$work/run" 10) ms"
