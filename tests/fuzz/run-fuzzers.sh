#!/usr/bin/env bash
# Runs the built fuzz targets for a while each, JOBS at a time, each on its own corpus
# (BUILD/corpus/<target>, begun from the seeds in BUILD/seeds/<target>). Fails on any
# finding (crash, sanitizer report, broken property, leak, timeout, out of memory) and
# says where libFuzzer left the input that makes it.
#   run-fuzzers.sh BUILD SECONDS JOBS RSS_MB TARGET...
# Before fuzzing, each target reads its large inputs (BUILD/seeds/large/<target>, up to 1 MB)
# once. FUZZ_TIMEOUT (seconds, default 10) is how long one input may take: those large ones
# take a second or two under the sanitizers on a busy machine, while a parser that goes back
# over its text for every character takes minutes on them and fails the run.
set -uo pipefail
build=$(cd "${1:?usage: run-fuzzers.sh BUILD SECONDS JOBS RSS_MB TARGET...}" && pwd)
seconds=${2:?} jobs=${3:?} rss=${4:?}
shift 4

run_one() {
    local name=$1
    local corpus="$build/corpus/$name" findings="$build/findings/$name" log="$build/logs/$name.log"
    mkdir -p "$corpus" "$findings" "$build/logs"
    if [ -d "$build/seeds/$name" ]; then
        cp -n "$build/seeds/$name"/* "$corpus"/ 2>/dev/null || true
    fi
    local timeout=${FUZZ_TIMEOUT:-10} large=("$build/seeds/large/$name"/*)
    if [ -f "${large[0]}" ]; then
        "$build/$name" -rss_limit_mb="$rss" -timeout="$timeout" "${large[@]}" >"$log" 2>&1 || return
    fi
    "$build/$name" -max_total_time="$seconds" -rss_limit_mb="$rss" -timeout="$timeout" \
        -artifact_prefix="$findings/" -print_final_stats=1 "$corpus" >>"$log" 2>&1
}

report() {
    local name=$1 status=$2 log="$build/logs/$1.log"
    local runs
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    if [ "$status" -eq 0 ]; then
        echo "$name: no finding in ${seconds} s, ${runs:-?} runs (log: $log)"
        return 0
    fi
    echo "$name: FINDING (exit $status) — log: $log"
    grep -E 'ERROR:|property broken|SUMMARY' -A2 "$log" | head -20 | sed 's/^/    /'
    local found
    found=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log")
    # A large input that failed is its own reproducer: the last one it started on.
    [ -z "$found" ] && found=$(sed -n 's/^Running: \(.*\)$/\1/p' "$log" | tail -1)
    echo "    reproducer: ${found:-none written, see the log}"
    [ -n "$found" ] && echo "    run again: $build/$name $found"
    return 1
}

declare -A started=()
failed=0 passed=0 broken=0
for name in "$@"; do
    if [ ! -x "$build/$name" ]; then
        echo "$name: not built" >&2
        failed=1 broken=$((broken + 1))
        continue
    fi
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do
        wait -n || true
    done
    echo "$name: fuzzing for ${seconds} s"
    run_one "$name" &
    started[$!]=$name
done
for pid in "${!started[@]}"; do
    wait "$pid"
    if report "${started[$pid]}" $?; then
        passed=$((passed + 1))
    else
        failed=1 broken=$((broken + 1))
    fi
done
echo "fuzz: $passed passed, $broken failed"
exit "$failed"
