#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for a bounded time, starting from its seeds.
# Prints the executions run and the coverage reached per target; a crash, a leak, a
# sanitizer report or a broken promise of a target fails the run and leaves the input
# that caused it in <build>/artifacts/<target>/.
#
#   bash scripts/fuzz.sh [seconds-per-target]     (default 12)
#
# KESTROVA_BUILD_PREFIX (default "build") names the build folder: <prefix>-fuzz.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh

seconds=${1:-12}
root=$PWD
dir=${KESTROVA_BUILD_PREFIX:-build}-fuzz
case $dir in /*) ;; *) dir=$root/$dir ;; esac

cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTROVA_WERROR=ON \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS_DEBUG="-O1 -gline-tables-only" \
    -DKESTROVA_BUILD_TESTS=OFF -DKESTROVA_FUZZ=ON >/dev/null

mapfile -t targets < <(cd tests/fuzz && ls fuzz_*.cpp | sed 's/\.cpp$//')
ninja -C "$dir" -j2 "${targets[@]}"

failed=0
for target in "${targets[@]}"; do
    name=${target#fuzz_}
    seeds=$root/tests/fuzz/corpus/$name
    corpus=$dir/corpus/$name
    artifacts=$dir/artifacts/$name
    log=$dir/$target.log
    mkdir -p "$corpus" "$artifacts"
    options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
             -artifact_prefix="$artifacts/")
    [ -f "$root/tests/fuzz/$name.dict" ] && options+=(-dict="$root/tests/fuzz/$name.dict")

    # Leaks are looked for afterwards, on the corpus the run leaves: matching the Qt
    # suppressions needs full allocation stacks, which would slow the search itself fourfold.
    status=0
    ASAN_OPTIONS=detect_leaks=0 "$dir/tests/fuzz/$target" "${options[@]}" -detect_leaks=0 "$corpus" "$seeds" \
        >"$log" 2>&1 || status=$?
    if [ "$status" -eq 0 ]; then
        ASAN_OPTIONS=fast_unwind_on_malloc=0 LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp" \
            "$dir/tests/fuzz/$target" -runs=0 -artifact_prefix="$artifacts/" "$corpus" "$seeds" >"$log.leaks" 2>&1 \
            || { status=$?; cat "$log.leaks" >>"$log"; }
    fi

    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    last=$(grep -E '^#[0-9]+' "$log" | tail -n 1 || true)
    coverage=$(sed -n 's/.* cov: \([0-9]*\) ft: \([0-9]*\) corp: \([^ ]*\).*/cov: \1 ft: \2 corpus: \3/p' <<<"$last")
    speed=$(sed -n 's/.* exec\/s: \([0-9]*\).*/\1/p' <<<"$last")
    printf '%-24s %10s executions  %s  %s exec/s\n' "$target" "${executions:-?}" "${coverage:-cov: ?}" "${speed:-?}"

    if [ "$status" -ne 0 ]; then
        failed=1
        echo "$target FAILED (exit $status); its log ends:"
        tail -n 40 "$log"
        echo "Inputs kept (replay one with: $dir/tests/fuzz/$target <file>):"
        find "$artifacts" -type f
    fi
done
exit $failed
