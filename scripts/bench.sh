#!/usr/bin/env bash
# Benchmarks Kestrova against simulated cameras at site scale, from a fresh clone:
# installs what is missing, builds the benchmark and the simulator, then for each camera
# count runs the benchmark inside the lab (several fresh processes each) under the file
# descriptor limit of a desktop session, prints the table and writes every figure as JSON.
# With --baseline, the same runs of another commit's program, in the same lab, follow each
# count's runs, and a second table sets the key figures side by side with their ratios.
# Last at each count, as many runs of two plain clients ask the same cameras the program's
# two reads on one connection per camera, at most 256 cameras at once, replies parsed: the
# reference client (bench/refclient.h, one thread, no Qt event loop) and the Qt floor
# (bench/qtfloorclient.h, Qt's network access manager alone). A table sets the program's
# time from the list's publication to the full table ("filled - floor") and its CPU time
# over that span against each client's time and CPU time, with the ratios.
#
#   scripts/bench.sh [--sizes "1 64 254 1000"] [--repeat R] [--out DIR] [--build DIR]
#                    [--no-deps] [--nice-simulator] [--fd-limit N] [--baseline REF]
#                    [--flood N] [--lab-options "OPTIONS"]
#
#   --sizes    camera counts (default "1 64 254 1000"); counts above 254 use the wider
#              range from 10.77.1.1 in the lab's 255.255.0.0 subnet
#   --repeat   runs per count (default 5 up to 254 cameras, 3 above)
#   --out      folder for the JSON, the simulator logs and the program's logs
#              (default bench-results/<UTC time>)
#   --build    build folder (default build)
#   --no-deps  do not run scripts/deps.sh
#   --nice-simulator
#              run the simulators at nice 19, so that on a small machine they take
#              less of the CPU the program under test needs (real cameras bring their own)
#   --fd-limit the program's limit on open file descriptors (default 1024, what a Debian
#              desktop session gets: systemd's soft default); 0 leaves the limit as it is
#   --baseline a commit to compare with (for example the main branch before a change):
#              it is checked out into a worktree of its own under /tmp, where this tree's
#              bench/ sources are built against that commit's program. When a baseline run
#              fails under --fd-limit, it is run again under the hard limit, and the table
#              says so
#   --flood N  one more simulated camera, which answers each search with N more replies
#              carrying addresses of the subnet where nothing answers (plausible-flood)
#   --lab-options
#              more options for the lab's first simulator, for example
#              "--hostile oversized-body --oversize-framing chunked"
#
# Needs root for the lab (network namespaces); uses sudo when not root. Exit 77 when no
# lab is possible here.
set -euo pipefail

readonly SMALL_SITE=254
readonly SMALL_BASE=10.77.0.10
readonly WIDE_BASE=10.77.1.1
readonly WIDE_MASK=255.255.0.0
readonly READY_TIMEOUT_S=60
readonly DESKTOP_FD_LIMIT=1024

repo_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

say() { printf 'bench: %s\n' "$*" >&2; }

# User plus system CPU seconds of every process in the camera namespace so far.
simulator_cpu() {
    local ticks=0 pid stat
    local -a fields
    for pid in $(ip netns pids "$KESTROVA_LAB_CAMS_NETNS"); do
        stat=$(cat "/proc/$pid/stat" 2>/dev/null) || continue
        read -r -a fields <<<"${stat##*) }"
        ticks=$((ticks + fields[11] + fields[12]))
    done
    awk -v t="$ticks" -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.2f", t / hz }'
}

# One benchmark of one build, in a subshell so that the limit binds only the program.
run_bench() {
    local bench=$1 cameras=$2 repeat=$3 out=$4 logs=$5 fd_limit=$6 note=$7
    (
        ((fd_limit == 0)) || ulimit -n "$fd_limit"
        "$bench" --cameras "$cameras" --repeat "$repeat" --out "$out" --logs "$logs" --note "$note"
    )
}

# Inside the lab (tool namespace): this build, then the baseline build if there is one.
inner() {
    local cameras=$1 repeat=$2 out=$3 build=$4 baseline_build=$5 fd_limit=$6 nice_simulator=$7
    if ((nice_simulator)); then
        # shellcheck disable=SC2046
        renice -n 19 -p $(ip netns pids "$KESTROVA_LAB_CAMS_NETNS") >/dev/null
    fi
    local cpu_before status=0
    cpu_before=$(simulator_cpu)
    run_bench "$build/bench/kestrova-bench" "$cameras" "$repeat" "$out/bench-$cameras.json" "$out" "$fd_limit" "" \
        || status=$?
    if ((status == 0)) && [[ -n $baseline_build ]]; then
        mkdir -p "$out/baseline"
        run_baseline "$baseline_build/bench/kestrova-bench" "$cameras" "$repeat" "$out" "$fd_limit" || status=$?
    fi
    local client
    for client in reference qt-floor; do
        ((status == 0)) || break
        (
            ((fd_limit == 0)) || ulimit -n "$fd_limit"
            "$build/bench/kestrova-bench" "--$client" --cameras "$cameras" --repeat "$repeat" \
                --out "$out/$client-$cameras.json" --logs "$out"
        ) || status=$?
    done
    printf '%s cameras: the simulators used %s s of CPU during the runs\n' "$cameras" \
        "$(awk -v a="$(simulator_cpu)" -v b="$cpu_before" 'BEGIN { printf "%.2f", a - b }')" \
        | tee -a "$out/simulator-cpu.txt" >&2
    return $status
}

run_baseline() {
    local bench=$1 cameras=$2 repeat=$3 out=$4 fd_limit=$5
    local json=$out/baseline/bench-$cameras.json
    if run_bench "$bench" "$cameras" "$repeat" "$json" "$out/baseline" "$fd_limit" ""; then
        return 0
    fi
    local hard
    hard=$(ulimit -Hn)
    local evidence
    evidence=$(grep -l -m1 'Too many open files' "$out/baseline/bench-$cameras-run"*.log 2>/dev/null | head -1 || true)
    say "$cameras cameras: the baseline failed under a limit of $fd_limit descriptors${evidence:+ (see $evidence)}; again under $hard"
    mkdir -p "$out/baseline/raised"
    run_bench "$bench" "$cameras" "$repeat" "$json" "$out/baseline/raised" "$hard" \
        "baseline failed under a limit of $fd_limit descriptors${evidence:+ ('Too many open files')}, measured under $hard"
}

# A worktree of the baseline commit with this tree's benchmark sources, built.
prepare_baseline() {
    local ref=$1
    local sha
    sha=$(git -C "$repo_dir" rev-parse --short "$ref^{commit}")
    local tree=/tmp/kv-baseline-$sha
    [[ -d $tree ]] || git -C "$repo_dir" worktree add --detach "$tree" "$sha" >&2
    rm -rf "$tree/bench"
    cp -r "$repo_dir/bench" "$tree/bench"
    cmake -S "$tree" -B "$tree/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$tree/build" --target kestrova-bench -- -j2 >&2
    echo "$tree/build"
}

main() {
    local sizes="1 64 254 1000" repeat='' out='' build=$repo_dir/build deps=1 nice_simulator=0
    local fd_limit=$DESKTOP_FD_LIMIT baseline='' flood=0 lab_options=''
    while (($#)); do
        case "$1" in
            --sizes) sizes=$2; shift 2 ;;
            --repeat) repeat=$2; shift 2 ;;
            --out) out=$2; shift 2 ;;
            --build) build=$2; shift 2 ;;
            --no-deps) deps=0; shift ;;
            --nice-simulator) nice_simulator=1; shift ;;
            --fd-limit) fd_limit=$2; shift 2 ;;
            --baseline) baseline=$2; shift 2 ;;
            --flood) flood=$2; shift 2 ;;
            --lab-options) lab_options=$2; shift 2 ;;
            --inner) shift; inner "$@"; return ;;
            -h | --help) sed -n '2,/^set /{/^set /d;s/^# \{0,1\}//;p}' "${BASH_SOURCE[0]}"; return 0 ;;
            *) say "unknown argument: $1"; return 64 ;;
        esac
    done
    out=${out:-$repo_dir/bench-results/$(date -u +%Y%m%dT%H%M%SZ)}
    mkdir -p "$out"
    out=$(cd "$out" && pwd)
    build=$(mkdir -p "$build" && cd "$build" && pwd)

    ((deps)) && bash "$repo_dir/scripts/deps.sh"
    cmake -S "$repo_dir" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build" --target kestrova-bench kestrova-camsim -- -j2
    local baseline_build=''
    [[ -n $baseline ]] && baseline_build=$(prepare_baseline "$baseline")

    local -a sudo_cmd=() lab_extra=()
    [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
    read -r -a lab_extra <<<"$lab_options"
    ((flood > 0)) && lab_extra+=(--hostile plausible-flood --flood-count "$flood")
    local -a results=() pairs=() yardsticks=()
    local cameras base runs status
    for cameras in $sizes; do
        base=$SMALL_BASE
        ((cameras > SMALL_SITE)) && base=$WIDE_BASE
        runs=${repeat:-$((cameras > SMALL_SITE ? 3 : 5))}
        say "$cameras cameras from $base, $runs runs, descriptor limit ${fd_limit/#0/unchanged}"
        status=0
        "${sudo_cmd[@]}" "$repo_dir/tools/lab/kestrova-lab" --ready-timeout "$READY_TIMEOUT_S" \
            --cameras "$cameras" --base-address "$base" --mask "$WIDE_MASK" \
            --camsim "$build/tools/camsim/kestrova-camsim" --log "$out/camsim-$cameras.log" "${lab_extra[@]}" -- \
            bash "${BASH_SOURCE[0]}" --inner "$cameras" "$runs" "$out" "$build" "$baseline_build" "$fd_limit" \
            "$nice_simulator" || status=$?
        if ((status == 77)); then
            say "no lab is possible here (needs root and network namespaces)"
            return 77
        fi
        ((status == 0)) || { say "$cameras cameras: failed with $status"; return "$status"; }
        results+=("$out/bench-$cameras.json")
        yardsticks+=("$out/bench-$cameras.json" "$out/reference-$cameras.json" "$out/qt-floor-$cameras.json")
        pairs+=("$out/bench-$cameras.json")
        [[ -n $baseline_build ]] && pairs+=("$out/baseline/bench-$cameras.json")
    done
    "$build/bench/kestrova-bench" --report "$out/bench.json" "${results[@]}"
    say "JSON written to $out/bench.json"
    printf '\nthe program against the plain clients:\n'
    "$build/bench/kestrova-bench" --yardstick "$out/yardstick.json" "${yardsticks[@]}"
    say "yardstick written to $out/yardstick.json"
    if [[ -n $baseline_build ]]; then
        printf '\nthis tree against %s:\n' "$baseline"
        "$build/bench/kestrova-bench" --compare "$out/comparison.json" "${pairs[@]}"
        say "comparison written to $out/comparison.json"
    fi
}

main "$@"
