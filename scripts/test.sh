#!/usr/bin/env bash
# Builds everything and runs the whole test suite: the normal build (warnings are errors)
# and its suite; the Debian package and its checks (lintian on the .deb, the AppStream
# validator on its metainfo, desktop-file-validate on its desktop entry); then the suite
# again under AddressSanitizer/UndefinedBehaviorSanitizer and the threaded tests under
# ThreadSanitizer (scripts/sanitize.sh), then a short run of every fuzz target.
#
# Where it can (root), the test runs happen in a network namespace of their own: loopback,
# plus one link of its own whose address the HTTP client's test against a non-loopback
# address gets in KESTROVA_TEST_LOCAL_ADDRESS. Nothing reaches the machine's network, and
# runs of other builds on the same loopback ports do not meet these.
#
# CTest counts a skipped test function as passed, and the lab's "no lab here" (exit 77) as
# a test not run; both are counted here as skipped and listed with their reasons. Under CI
# (CI set and not "false": root, namespaces available) a skip in the suites that see real
# "SetEnv"/"Reboot" traffic fails the run: the lab suites and the in-process suites that
# need port 80, the search port or a private address.
#
# The last line counts test functions over all stages (a CTest entry that is no QtTest
# binary, the package stage and each fuzz target count as one):
# "Total: N passed, N failed, N skipped".
# The exit status is 0 only when nothing failed.
set -uo pipefail
cd "$(dirname "$0")/.."

prefix=${KESTROVA_BUILD_PREFIX:-build}
main_dir=build
asan_dir=$prefix-asan
tsan_dir=$prefix-tsan

# Suites that must not skip under CI.
readonly MUST_RUN='^(e2e_.*|lab_.*|tst_modifymodule_cycle|tst_control|tst_camsim|tst_chttp)$'
readonly PRIVATE_ADDRESS=10.253.0.1
readonly PRIVATE_PREFIX=24
readonly APP_ID=io.github.kestrova.Kestrova

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

strict=0
case ${CI:-} in '' | false) ;; *) strict=1 ;; esac

stage_failures=0

# Runs a command in a network namespace of its own, where one can be made; else as it is.
in_private_network() {
    if [ "$(id -u)" -ne 0 ] || ! unshare -n true 2>/dev/null; then
        "$@"
        return
    fi
    unshare -n bash -c '
        set -e
        ip link set lo up
        ip link add kvtest0 type veth peer name kvtest1
        ip addr add "$1/$2" dev kvtest0
        ip link set kvtest0 up
        ip link set kvtest1 up
        export KESTROVA_TEST_LOCAL_ADDRESS=$1
        shift 2
        exec "$@"' private-network "$PRIVATE_ADDRESS" "$PRIVATE_PREFIX" "$@"
}

# Runs one stage, keeping its console output in $work/<name>.out.
run_stage() { # <name> <command...>
    local name=$1
    shift
    "$@" 2>&1 | tee "$work/$name.out"
    local status=${PIPESTATUS[0]}
    if [ "$status" -ne 0 ]; then
        echo "stage $name failed (exit $status)"
        stage_failures=$((stage_failures + 1))
    fi
    return "$status"
}

# One tab-separated line per CTest entry of a run, "ENTRY stage name passed failed skipped",
# and one per skip, "SKIP stage name what-and-why". Entries the console lists as not run
# (the lab's exit 77) count as one skip each, with the last line of their output as reason.
count_ctest_run() { # <stage> <build dir> <console output>
    local log=$2/Testing/Temporary/LastTest.log
    [ -f "$log" ] || return 0
    local not_run
    not_run=$(sed -n 's/^[[:space:]]*[0-9]* - \(.*\) (\(Skipped\|Disabled\))$/\1/p' "$3" | tr '\n' ' ')
    awk -v OFS='\t' -v stage="$1" -v not_run=" $not_run" '
        function finish(status) {
            if (index(not_run, " " name " ")) {
                print "ENTRY", stage, name, 0, 0, 1
                print "SKIP", stage, name, "not run: " last
            } else if (totals) {
                print "ENTRY", stage, name, passed, (status || failed ? failed + (failed == 0) : 0), skipped
            } else {
                print "ENTRY", stage, name, !status, status, 0
            }
            name = ""
        }
        /^[0-9]+\/[0-9]+ Testing: / { name = $3; totals = passed = failed = skipped = 0; last = ""; next }
        /^Output:$/ { getline; in_output = 1; next }
        in_output && /^<end of output>$/ { in_output = 0; next }
        in_output {
            if ($0 ~ /^Totals: [0-9]+ passed, [0-9]+ failed, [0-9]+ skipped/) {
                totals = 1; passed += $2; failed += $4; skipped += $6
            }
            if ($0 ~ /^SKIP   : /)
                print "SKIP", stage, name, substr($0, 10)
            if ($0 != "")
                last = $0
            next
        }
        name != "" && /^Test Passed\.$/ { finish(0) }
        name != "" && /^Test Failed\.$/ { finish(1) }
    ' "$log"
}

# Builds the Debian package and checks it: the files it installs, unpacked, and the .deb.
check_package() {
    rm -f "$main_dir"/*.deb
    cmake --build "$main_dir" --target package || return
    local debs=("$main_dir"/*.deb)
    local unpacked=$work/package
    dpkg-deb --extract "${debs[0]}" "$unpacked" || return
    appstreamcli validate --no-net "$unpacked/usr/share/metainfo/$APP_ID.metainfo.xml" || return
    desktop-file-validate "$unpacked/usr/share/applications/$APP_ID.desktop" || return
    lintian --fail-on error "${debs[0]}"
}

# One tab-separated "ENTRY stage stage passed failed 0" line for a stage counted as one
# entry, when it ran.
count_stage_run() { # <stage> <exit status, empty when the stage did not run>
    [ -n "$2" ] || return 0
    printf 'ENTRY\t%s\t%s\t%d\t%d\t0\n' "$1" "$1" $(($2 == 0)) $(($2 != 0))
}

# "<passed> <failed>" of the fuzz run: one per target.
count_fuzz_run() { # <console output>
    awk '/^fuzz_[a-z_]+ +[0-9?]+ executions/ { targets++ }
         /^fuzz_[a-z_]+ FAILED/ { failed++ }
         END { print targets - failed, failed + 0 }' "$1"
}

for dir in "$main_dir" "$asan_dir" "$tsan_dir"; do
    rm -f "$dir/Testing/Temporary/LastTest.log"
done

package_status=
if run_stage build bash scripts/build.sh; then
    run_stage tests in_private_network ctest --test-dir "$main_dir" --output-on-failure -j2
    run_stage package check_package
    package_status=$?
    run_stage sanitizers in_private_network bash scripts/sanitize.sh
    run_stage fuzz bash scripts/fuzz.sh 12
fi

{
    count_ctest_run tests "$main_dir" "$work/tests.out"
    count_stage_run package "$package_status"
    count_ctest_run asan "$asan_dir" "$work/sanitizers.out"
    count_ctest_run tsan "$tsan_dir" "$work/sanitizers.out"
} >"$work/counts"

read -r passed failed skipped < <(awk -F'\t' '$1 == "ENTRY" { p += $4; f += $5; s += $6 } END { print p + 0, f + 0, s + 0 }' "$work/counts")
if [ -f "$work/fuzz.out" ]; then
    read -r fuzz_passed fuzz_failed < <(count_fuzz_run "$work/fuzz.out")
    passed=$((passed + fuzz_passed))
    failed=$((failed + fuzz_failed))
fi
# A stage that failed without a failing test to show for it (a build, a crash before any
# test ran) still counts once.
if [ "$stage_failures" -gt 0 ] && [ "$failed" -eq 0 ]; then
    failed=$stage_failures
fi

# "  [stage] name: what and why" for each SKIP line on standard input.
list_skips() {
    awk -F'\t' '{ print "  [" $2 "] " $3 ": " $4 }'
}

echo
echo "Skipped: $skipped"
awk -F'\t' '$1 == "SKIP"' "$work/counts" | list_skips

if [ "$strict" -eq 1 ]; then
    awk -F'\t' -v pattern="$MUST_RUN" '$1 == "SKIP" && $3 ~ pattern' "$work/counts" >"$work/forbidden"
    forbidden=$(wc -l <"$work/forbidden")
    if [ "$forbidden" -gt 0 ]; then
        echo "Under CI these suites must run, not skip (they carry the real \"SetEnv\"/\"Reboot\" traffic):"
        list_skips <"$work/forbidden"
        failed=$((failed + forbidden))
        skipped=$((skipped - forbidden))
    fi
fi

echo "Total: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
