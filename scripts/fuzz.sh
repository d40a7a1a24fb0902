#!/usr/bin/env bash
# Runs each libFuzzer harness for a bounded time with a fixed seed, from a
# copy of its seed corpus, two at a time. Any finding fails the script.
# Needs the sanitize build (scripts/test.sh makes it). QEL_FUZZ_SECONDS
# sets the time per harness (default 60).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${QEL_FUZZ_SECONDS:-60}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fuzz_one() {
    local harness=$1
    local binary=build/sanitize/fuzz/${harness}_fuzzer
    [ -x "$binary" ] || { echo "missing $binary" >&2; return 1; }
    mkdir -p "$work/$harness"
    cp fuzz/corpus/"$harness"/* "$work/$harness/"
    local extra=()
    [ "$harness" = fuzz_encoder ] && extra=(-max_len=1024)
    if "$binary" -max_total_time="$seconds" -seed=1 -print_final_stats=1 "${extra[@]}" \
            -artifact_prefix="$work/$harness-" "$work/$harness" >"$work/$harness.log" 2>&1; then
        echo "fuzz $harness: $(grep -m1 'stat::number_of_executed_units' "$work/$harness.log" | awk '{print $2}') runs, no finding"
    else
        echo "fuzz $harness: FINDING" >&2
        tail -n 40 "$work/$harness.log" >&2
        return 1
    fi
}

status=0
fuzz_one fuzz_expand & first=$!
fuzz_one fuzz_package_reading & second=$!
wait $first || status=1
wait $second || status=1
fuzz_one fuzz_extraction & first=$!
fuzz_one fuzz_encoder & second=$!
wait $first || status=1
wait $second || status=1
exit $status
