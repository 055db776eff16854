#!/usr/bin/env bash
# Builds the test suite with AddressSanitizer and UndefinedBehaviorSanitizer (clang) and
# runs it; then runs the tests that cross threads under ThreadSanitizer.
# Any sanitizer report fails the run. Qt itself is not instrumented.
#
#   bash scripts/sanitize.sh
#
# KESTROVA_BUILD_PREFIX (default "build") names the build folders: <prefix>-asan and
# <prefix>-tsan. KESTROVA_SANITIZE_EXCLUDE (a CTest -E pattern, default '^(lab_|e2e_)')
# names the tests left out of the AddressSanitizer run; set it to '^$' to run the lab's
# end-to-end tests with the instrumented program too.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh

root=$PWD
prefix=${KESTROVA_BUILD_PREFIX:-build}
asan_dir=$prefix-asan
tsan_dir=$prefix-tsan

# Tests whose threads meet: the SDK search host, the SDK callback on the SDK's own threads,
# the hub, and the view's search cycle that runs the SDK search.
thread_tests=(tst_commontool tst_sdkthreads tst_commonsignal tst_modifymodule_cycle)

# The lab tests need network namespaces and run for minutes; they have their own CI step.
not_in_process=${KESTROVA_SANITIZE_EXCLUDE:-'^(lab_|e2e_)'}

failed=0

configure() { # <dir> <sanitizer flags>
    cmake -S . -B "$1" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTROVA_WERROR=ON \
        -DCMAKE_CXX_COMPILER=clang++ \
        -DCMAKE_CXX_FLAGS_DEBUG="-O1 -gline-tables-only" \
        -DCMAKE_CXX_FLAGS="$2 -fno-omit-frame-pointer" \
        -DCMAKE_EXE_LINKER_FLAGS="$2" >/dev/null
}

# Every test executable, or the ones named; a target that does not build fails the run,
# the others are still built and run.
build_tests() { # <dir> [targets...]
    local dir=$1
    shift
    local targets=("$@")
    if [ ${#targets[@]} -eq 0 ]; then
        mapfile -t targets < <(ninja -C "$dir" -t targets all | sed -n 's/^\(tst_[A-Za-z0-9_]*\): .*/\1/p' | sort -u)
    fi
    ninja -C "$dir" -j2 -k 0 "${targets[@]}" || failed=1
}

run_tests() { # <dir> <ctest args...>
    local dir=$1
    shift
    ctest --test-dir "$dir" --output-on-failure "$@" || failed=1
}

asan_flags="-fsanitize=address,undefined -fno-sanitize-recover=all"
configure "$asan_dir" "$asan_flags"
build_tests "$asan_dir"
# Full allocation stacks: libQt5* has no frame pointers, and the Qt leak suppressions match
# frames that the fast unwinder never reaches.
asan_options=detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1
ASAN_OPTIONS="$asan_options:fast_unwind_on_malloc=0" \
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0" \
    run_tests "$asan_dir" -j2 -E "$not_in_process"

tsan_flags="-fsanitize=thread"
configure "$tsan_dir" "$tsan_flags"
build_tests "$tsan_dir" "${thread_tests[@]}"
thread_pattern="^($(IFS='|'; echo "${thread_tests[*]}"))\$"
TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$root/scripts/tsan.supp" \
    run_tests "$tsan_dir" -R "$thread_pattern"

exit $failed
