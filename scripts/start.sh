#!/usr/bin/env bash
# Builds Kestrova and the camera simulator (only these two, not the test suites) and starts
# Kestrova beside eight simulated cameras, two of which share one address, in a network lab
# of its own (tools/lab/kestrova-lab): the program sees only the lab network, so a search
# reaches the simulated cameras and nothing else.
#
#   bash scripts/start.sh
#
# With a display (DISPLAY set and reachable) the window opens there and you press "Search"
# yourself; closing the window ends the lab. Without one, Kestrova runs under Xvfb: the
# script presses "Search", waits for the table to fill, saves a screenshot, prints its
# path and ends, taking the program, the lab and Xvfb down.
#
# Where no network namespaces can be made (not root, or ip netns fails), Kestrova starts on
# this machine's own interfaces instead and the script never presses "Search": on a real
# network only a person does that. Without a display it then saves a screenshot of the
# empty window and ends.
#
# The program's log, the simulator's log and the screenshot go to build/start/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

readonly EXIT_NO_LAB=77
readonly TARGETS=(kestrova kestrova-camsim)
readonly CAMERAS=8
readonly LAB_TOOL_ADDRESS=10.77.0.1
readonly WINDOW_TITLE=Kestrova
readonly XVFB_SCREEN=1280x800x24
readonly XVFB_DPI=96
readonly FIRST_DISPLAY=90
readonly LAST_DISPLAY=130
readonly START_TIMEOUT_S=30
readonly SEARCH_START_TIMEOUT_S=10
readonly FILL_TIMEOUT_S=40
readonly EXIT_TIMEOUT_S=10
readonly REPAINT_S=1
# Where a user clicks, in the window at its initial size. "Search": title bar 40, margins
# 14 and 12, the label box 98, a 10 spacer, the address list 128, a 12 spacer, then the
# 93 x 30 button centred in the 43 high search bar. The close button sits 30 from the
# right edge in the middle of the title bar.
readonly SEARCH_X=$((14 + 12 + 98 + 10 + 128 + 12 + 93 / 2))
readonly SEARCH_Y=$((40 + 14 + 43 / 2))
readonly CLOSE_FROM_RIGHT=30
readonly CLOSE_Y=20
# Log lines of the program: its address list, the published search, the last reply handled.
readonly LOG_ADDRESS='^address: '
readonly LOG_SEARCHED='^sigSearchResult ='
readonly LOG_FILLED='^all requests finished, cleanup managers'

program=$root/build/kestrova
lab=$root/tools/lab/kestrova-lab
out_dir=$root/build/start
app_log=$out_dir/kestrova.log
sim_log=$out_dir/camsim.log
screenshot=$out_dir/kestrova.png

xvfb_pid=
lab_pid=
app_pid=

say() { printf 'start: %s\n' "$*"; }

# Ends what this script started, by id: the program (through the lab when it runs in one),
# the lab, then Xvfb.
cleanup() {
    local status=$?
    trap - EXIT INT TERM
    [[ -n $lab_pid ]] && stop_process "$lab_pid"
    [[ -n $app_pid ]] && stop_process "$app_pid"
    [[ -n $xvfb_pid ]] && stop_process "$xvfb_pid"
    exit "$status"
}

stop_process() { # <pid>
    kill -0 "$1" 2>/dev/null || return 0
    kill -TERM "$1" 2>/dev/null || true
    wait_until "$EXIT_TIMEOUT_S" process_gone "$1" || kill -KILL "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}

process_gone() { ! kill -0 "$1" 2>/dev/null; }

wait_until() { # <seconds> <command...>: true once the command succeeds, false after the time
    local limit=$(($1 * 10))
    shift
    local tenths
    for ((tenths = 0; tenths < limit; ++tenths)); do
        "$@" && return 0
        sleep 0.1
    done
    "$@"
}

log_has() { grep -q "$2" "$1" 2>/dev/null; }

display_usable() {
    [[ -n ${DISPLAY:-} ]] && xdotool getdisplaygeometry >/dev/null 2>&1
}

# A display reached over TCP (ssh -X, host:N) lies outside the lab's network namespace;
# only local displays are reached there, through their socket file.
display_is_local() {
    [[ ${DISPLAY:-} == :* || ${DISPLAY:-} == unix:* ]]
}

start_xvfb() {
    local number
    for ((number = FIRST_DISPLAY; number <= LAST_DISPLAY; ++number)); do
        [[ -e /tmp/.X11-unix/X$number || -e /tmp/.X$number-lock ]] || break
    done
    ((number <= LAST_DISPLAY)) || { say "no free X display number between :$FIRST_DISPLAY and :$LAST_DISPLAY"; exit 1; }
    Xvfb ":$number" -screen 0 "$XVFB_SCREEN" -dpi "$XVFB_DPI" -nolisten tcp >"$out_dir/xvfb.log" 2>&1 &
    xvfb_pid=$!
    export DISPLAY=:$number
    # Clients in the lab's namespace connect through this file; the abstract socket is
    # private to the machine's own namespace.
    wait_until "$START_TIMEOUT_S" test -S "/tmp/.X11-unix/X$number" && display_usable \
        || { say "Xvfb did not start; its log:"; cat "$out_dir/xvfb.log"; exit 1; }
    say "no display: Kestrova runs under Xvfb on $DISPLAY"
}

find_window() {
    window=$(xdotool search --onlyvisible --name "^$WINDOW_TITLE\$" 2>/dev/null | head -n 1)
    [[ -n $window ]]
}

click_in_window() { # <x> <y>
    xdotool mousemove --window "$window" "$1" "$2" click 1
}

take_screenshot() {
    sleep "$REPAINT_S"
    import -window root "$screenshot"
    say "screenshot saved: $screenshot"
}

# Closes the window with its own close button, as a user would; the program ends itself.
close_window() { # <pid to wait for>
    local width
    width=$(xdotool getwindowgeometry --shell "$window" | sed -n 's/^WIDTH=//p')
    click_in_window $((width - CLOSE_FROM_RIGHT)) "$CLOSE_Y" || true
    wait_until "$EXIT_TIMEOUT_S" process_gone "$1" || true
}

# The lab's tool namespace holds only the lab link: the program's address list must be
# exactly the lab address, or "Search" is not pressed.
program_sees_only_lab() {
    [[ $(grep "$LOG_ADDRESS" "$app_log") == "address: $LAB_TOOL_ADDRESS" ]]
}

lab_started_program() { log_has "$app_log" "$LOG_ADDRESS" || process_gone "$lab_pid"; }

# Starts the lab with the program in its tool namespace, in the background; the program's
# log goes to its file.
start_lab_in_background() {
    "$lab" --cameras "$CAMERAS" --shared-address --log "$sim_log" -- bash -c 'exec "$0" 2>"$1"' "$program" "$app_log" &
    lab_pid=$!
    wait_until "$START_TIMEOUT_S" lab_started_program || { say "the lab did not start the program in time"; exit 1; }
}

lab_status() {
    local status=0
    wait "$lab_pid" || status=$?
    lab_pid=
    return "$status"
}

summarise_search() {
    local rows replies
    replies=$(grep -c '^SEARCH-REPLY ' "$sim_log" || true)
    rows=$(grep -c '^REQ .* cmd=GetEnv ' "$sim_log" || true)
    say "the simulated cameras sent $replies search replies; Kestrova sent $rows settings requests (GetEnv)"
    say "program log: $app_log"
    say "simulator log: $sim_log"
}

run_headless_in_lab() {
    start_lab_in_background
    if process_gone "$lab_pid"; then
        local status=0
        lab_status || status=$?
        if ((status == EXIT_NO_LAB)); then
            run_plainly_headless
            return
        fi
        say "the lab failed (exit $status)"
        exit 1
    fi
    program_sees_only_lab || { say "the program sees other addresses than the lab's; not pressing Search"; exit 1; }
    wait_until "$START_TIMEOUT_S" find_window || { say "the window did not appear"; exit 1; }
    say "pressing Search"
    click_in_window "$SEARCH_X" "$SEARCH_Y"
    wait_until "$SEARCH_START_TIMEOUT_S" log_has "$app_log" "$LOG_SEARCHED" \
        || { say "the search did not start"; take_screenshot; exit 1; }
    local filled=0
    wait_until "$FILL_TIMEOUT_S" log_has "$app_log" "$LOG_FILLED" || filled=$?
    take_screenshot
    summarise_search
    close_window "$lab_pid"
    if ((filled != 0)); then
        say "the table was not filled within $FILL_TIMEOUT_S s"
        exit 1
    fi
}

run_plainly_headless() {
    say "no network lab is possible here; Kestrova starts on this machine's own interfaces"
    say "Search is not pressed: on a real network only a person does that"
    "$program" 2>"$app_log" &
    app_pid=$!
    wait_until "$START_TIMEOUT_S" find_window || { say "the window did not appear"; exit 1; }
    take_screenshot
    say "program log: $app_log"
    close_window "$app_pid"
}

run_with_display() {
    say "starting Kestrova on $DISPLAY beside $CAMERAS simulated cameras; press Search in the window"
    local status=0
    "$lab" --cameras "$CAMERAS" --shared-address --log "$sim_log" -- "$program" || status=$?
    if ((status == EXIT_NO_LAB)); then
        say "no network lab is possible here; Kestrova starts on this machine's own interfaces"
        exec "$program"
    fi
    return "$status"
}

main() {
    bash scripts/deps.sh
    bash scripts/build.sh "${TARGETS[@]}"
    mkdir -p "$out_dir"
    rm -f "$app_log" "$sim_log" "$screenshot"
    trap cleanup EXIT
    trap 'exit 130' INT TERM
    if display_usable && display_is_local; then
        run_with_display
        return
    fi
    if display_usable; then
        say "the display $DISPLAY is reached over the network, which the lab cannot reach"
    fi
    start_xvfb
    run_headless_in_lab
}

main "$@"
