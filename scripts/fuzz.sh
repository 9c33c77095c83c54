#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a while on its seed corpus.
# Usage: scripts/fuzz.sh BUILD_DIR SECONDS
# New inputs collect in BUILD_DIR/fuzz-corpus (the seeds in fuzz/corpus stay
# as they are); a finding is saved in BUILD_DIR/fuzz-findings and fails the run.
set -uo pipefail
build=${1:?build directory}
seconds=${2:-60}
root=$(cd "$(dirname "$0")/.." && pwd)

export QT_QPA_PLATFORM=offscreen
# Every input is written to a file and saved files are synced: in memory
# that costs a fraction of a disk's time.
[ -d /dev/shm ] && [ -w /dev/shm ] && export TMPDIR=/dev/shm
# A smaller quarantine keeps freed memory from counting against the limit.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:quarantine_size_mb=64}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

failed=0
for seeds in "$root"/fuzz/corpus/*/; do
    name=$(basename "$seeds")
    program="$build/fuzz/fuzz_$name"
    corpus="$build/fuzz-corpus/$name"
    findings="$build/fuzz-findings/$name"
    log="$build/fuzz-$name.log"
    mkdir -p "$corpus" "$findings"
    dict=()
    [ -f "$root/fuzz/$name.dict" ] && dict=(-dict="$root/fuzz/$name.dict")
    # Memory and time per input are part of what is checked: a picture
    # must neither take more than the budget nor take long.
    "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=512 -max_len=16384 \
        -close_fd_mask=1 -print_final_stats=1 -artifact_prefix="$findings/" "${dict[@]}" \
        "$corpus" "$seeds" >"$log" 2>&1
    status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    peak=$(sed -n 's/^stat::peak_rss_mb: *//p' "$log")
    if [ "$status" -eq 0 ]; then
        echo "fuzz_$name: ${runs:-?} inputs, ${rate:-?}/s, peak ${peak:-?} MB, nothing found"
    else
        failed=1
        echo "fuzz_$name: FOUND a fault (exit $status), input saved in $findings:"
        grep -E '^(==[0-9]+== ?ERROR|SUMMARY|finding:|.*runtime error)' "$log" | head -5
        echo "  full log: $log"
    fi
done
exit $failed
