#!/usr/bin/env bash
# Benchmarks Kestrova against simulated cameras at site scale, from a fresh clone:
# installs what is missing, builds the benchmark and the simulator, then for each camera
# count runs the benchmark inside the lab (several fresh processes each), prints the table
# and writes every figure as JSON.
#
#   scripts/bench.sh [--sizes "1 64 254 1000"] [--repeat R] [--out DIR] [--build DIR]
#                    [--no-deps] [--nice-simulator]
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
#
# Needs root for the lab (network namespaces); uses sudo when not root. Exit 77 when no
# lab is possible here.
set -euo pipefail

readonly CAMSIM_MAX_CAMERAS=250
readonly SMALL_SITE=254
readonly SMALL_BASE=10.77.0.10
readonly WIDE_BASE=10.77.1.1
readonly WIDE_MASK=255.255.0.0
readonly READY_TIMEOUT_S=60

repo_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

say() { printf 'bench: %s\n' "$*" >&2; }

# Dotted quad <-> integer, for laying out camera ranges.
ip_to_int() {
    local IFS=.
    local -a parts
    read -r -a parts <<<"$1"
    echo $(((parts[0] << 24) | (parts[1] << 16) | (parts[2] << 8) | parts[3]))
}
int_to_ip() {
    echo "$((($1 >> 24) & 255)).$((($1 >> 16) & 255)).$((($1 >> 8) & 255)).$(($1 & 255))"
}

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

# Inside the lab (tool namespace). The simulator holds at most 250 cameras, so the lab's
# own instance serves the first 250 and further instances, started here in the camera
# namespace and ended here by their ids, serve the rest.
inner() {
    local cameras=$1 repeat=$2 out=$3 build=$4 base=$5 nice_simulator=$6
    local camsim=$build/tools/camsim/kestrova-camsim
    local cams_if=kvc${KESTROVA_LAB_TOOL_IF#kvt}
    local next=$(($(ip_to_int "$base") + CAMSIM_MAX_CAMERAS))
    local left=$((cameras - CAMSIM_MAX_CAMERAS))
    local -a pids=()
    local instance=1
    trap 'for pid in "${pids[@]}"; do kill -TERM "$pid" 2>/dev/null; done' EXIT
    while ((left > 0)); do
        local count=$((left < CAMSIM_MAX_CAMERAS ? left : CAMSIM_MAX_CAMERAS))
        local log=$out/camsim-$cameras-extra$instance.log
        : >"$log"
        ip netns exec "$KESTROVA_LAB_CAMS_NETNS" "$camsim" --interface "$cams_if" --manage-addresses \
            --exit-with-parent --cameras "$count" --base-address "$(int_to_ip "$next")" --mask "$WIDE_MASK" \
            --seed $((instance + 1)) >"$log" 2>&1 &
        pids+=($!)
        local waited=0
        until grep -q '^READY ' "$log"; do
            if ! kill -0 "${pids[-1]}" 2>/dev/null || grep -q '^ERROR ' "$log" || ((waited >= READY_TIMEOUT_S * 10)); then
                say "extra simulator $instance did not become ready:"
                tail -5 "$log" >&2
                return 70
            fi
            sleep 0.1
            waited=$((waited + 1))
        done
        next=$((next + count))
        ((nice_simulator)) && renice -n 19 -p "${pids[-1]}" >/dev/null
        left=$((left - count))
        instance=$((instance + 1))
    done
    if ((nice_simulator)); then
        # shellcheck disable=SC2046
        renice -n 19 -p $(ip netns pids "$KESTROVA_LAB_CAMS_NETNS") >/dev/null
    fi
    local cpu_before
    cpu_before=$(simulator_cpu)
    local status=0
    "$build/bench/kestrova-bench" --cameras "$cameras" --repeat "$repeat" \
        --out "$out/bench-$cameras.json" --logs "$out" || status=$?
    printf '%s cameras: the simulators used %s s of CPU during the %s runs\n' "$cameras" \
        "$(awk -v a="$(simulator_cpu)" -v b="$cpu_before" 'BEGIN { printf "%.2f", a - b }')" "$repeat" \
        | tee -a "$out/simulator-cpu.txt" >&2
    return $status
}

main() {
    local sizes="1 64 254 1000" repeat='' out='' build=$repo_dir/build deps=1 nice_simulator=0
    while (($#)); do
        case "$1" in
            --sizes) sizes=$2; shift 2 ;;
            --repeat) repeat=$2; shift 2 ;;
            --out) out=$2; shift 2 ;;
            --build) build=$2; shift 2 ;;
            --no-deps) deps=0; shift ;;
            --nice-simulator) nice_simulator=1; shift ;;
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

    local -a sudo_cmd=()
    [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
    local -a results=()
    local cameras base runs status
    for cameras in $sizes; do
        base=$SMALL_BASE
        ((cameras > SMALL_SITE)) && base=$WIDE_BASE
        runs=${repeat:-$((cameras > SMALL_SITE ? 3 : 5))}
        say "$cameras cameras from $base, $runs runs"
        status=0
        "${sudo_cmd[@]}" "$repo_dir/tools/lab/kestrova-lab" --ready-timeout "$READY_TIMEOUT_S" \
            --cameras $((cameras < CAMSIM_MAX_CAMERAS ? cameras : CAMSIM_MAX_CAMERAS)) \
            --base-address "$base" --mask "$WIDE_MASK" --camsim "$build/tools/camsim/kestrova-camsim" \
            --log "$out/camsim-$cameras.log" -- \
            bash "${BASH_SOURCE[0]}" --inner "$cameras" "$runs" "$out" "$build" "$base" "$nice_simulator" || status=$?
        if ((status == 77)); then
            say "no lab is possible here (needs root and network namespaces)"
            return 77
        fi
        ((status == 0)) || { say "$cameras cameras: failed with $status"; return "$status"; }
        results+=("$out/bench-$cameras.json")
    done
    "$build/bench/kestrova-bench" --report "$out/bench.json" "${results[@]}"
    say "JSON written to $out/bench.json"
}

main "$@"
