#!/usr/bin/env bash
# Takes the screenshots of the README: runs kestrova-tour (tools/tour) under Xvfb in a lab
# of its own, beside simulated cameras chosen so that one table shows every kind of row
# state, and saves one PNG per step.
#
#   sudo bash scripts/tour.sh [OUTDIR]       (default build/tour)
#
# Needs root for the lab; exits 77 when no lab is possible here.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

readonly DISPLAY_NUMBER=97
readonly XVFB_SCREEN=1400x900x24
readonly XVFB_DPI=96
# Eight cameras, two at one address; camera 4 answers slowly, camera 5 refuses its write;
# camera 7 has no HTTP; three hostile cameras: an unreadable answer, an oversized one and
# one that never answers; four cameras out of the box at 10.77.0.200.
readonly LAB_OPTIONS=(--cameras 8 --shared-address --delay-ms 1500:4 --setenv-status 2:5 --silent-http 1
                      --reboot-ms 4000 --hostile invalid-json --hostile oversized-body --oversize-mb 2
                      --hostile never-answer --factory 4 --factory-address 10.77.0.200 --handover-ms 3000)

out_dir=${1:-$root/build/tour}
mkdir -p "$out_dir"
out_dir=$(cd "$out_dir" && pwd)

bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target kestrova-tour kestrova-camsim

tools/lab/kestrova-lab --camsim build/tools/camsim/kestrova-camsim --log "$out_dir/camsim.log" "${LAB_OPTIONS[@]}" -- \
    bash -c '
        Xvfb ":$0" -screen 0 "$1" -dpi "$2" -nolisten tcp >/dev/null 2>&1 &
        xvfb=$!
        trap "kill $xvfb" EXIT
        for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$0" ] && break; sleep 0.1; done
        DISPLAY=":$0" "$3" "$4" >"$4/tour.log" 2>&1
    ' "$DISPLAY_NUMBER" "$XVFB_SCREEN" "$XVFB_DPI" "$root/build/tools/tour/kestrova-tour" "$out_dir"
echo "tour: screenshots in $out_dir"
