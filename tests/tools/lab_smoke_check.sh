#!/usr/bin/env bash
# Runs inside the lab's tool namespace: the namespace holds only lo and the lab link, a
# multicast search crosses the link, a camera answers "GetEnv" over HTTP, and the silent
# host resolves but never answers TCP.
set -uo pipefail

readonly GETENV_QUERY='szCmd=%7B%22GetEnv%22%3A%7B%22NetWork%22%3A%7B%22nChannel%22%3A-1%7D%7D%7D'
failures=0

check() {
    local what=$1
    shift
    if "$@"; then
        echo "PASS: $what"
    else
        echo "FAIL: $what"
        failures=$((failures + 1))
    fi
}

only_lab_interfaces() {
    local names
    names=$(ip -o link show | awk -F': ' '{print $2}' | sed 's/@.*//' | sort | tr '\n' ' ')
    [[ $names == "$(printf '%s\n' lo "$KESTROVA_LAB_TOOL_IF" | sort | tr '\n' ' ')" ]] || { echo "interfaces: $names"; return 1; }
}

only_lab_addresses() {
    local addresses
    addresses=$(ip -o -4 addr show | awk '{print $4}' | sort | tr '\n' ' ')
    [[ $addresses == "$KESTROVA_LAB_TOOL_ADDRESS/16 127.0.0.1/8 " ]] || { echo "addresses: $addresses"; return 1; }
}

# A 76-byte search request: magic 87 43 56 12, request id, zeros; cat sends it in one write.
search_crosses_link() {
    local request
    request=$(mktemp) || return 1
    { printf '\x87\x43\x56\x12\x01\x02\x03\x04'; head -c 68 /dev/zero; } >"$request"
    cat "$request" >/dev/udp/234.200.200.1/54362 || return 1
    rm -f "$request"
    local first=${KESTROVA_LAB_ADDRESSES%% *}
    for _ in $(seq 50); do
        grep -q "^SEARCH-REPLY cam=1 .*to=$KESTROVA_LAB_TOOL_ADDRESS:54361 size=76" "$KESTROVA_LAB_LOG" \
            && grep -q "^SEARCH from=$KESTROVA_LAB_TOOL_ADDRESS:[0-9]* size=76 magic=0x12564387 id=0x04030201$" "$KESTROVA_LAB_LOG" \
            && grep -q "^SEARCH-REPLY cam=0 ip=$first " "$KESTROVA_LAB_LOG" && return 0
        sleep 0.1
    done
    return 1
}

camera_answers_http() {
    local first=${KESTROVA_LAB_ADDRESSES%% *}
    local reply
    exec 3<>"/dev/tcp/$first/80" || return 1
    printf 'GET /ajaxcom?%s HTTP/1.1\r\nHost: %s\r\nConnection: close\r\n\r\n' "$GETENV_QUERY" "$first" >&3
    reply=$(timeout 5 cat <&3)
    exec 3<&-
    [[ $reply == "HTTP/1.1 200 OK"* && $reply == *"\"szIPAddr\":\"$first\""* ]] || { echo "reply: $reply"; return 1; }
    grep -q "^REQ cam=0 ip=$first cmd=GetEnv method=GET target=/ajaxcom?$GETENV_QUERY body= " "$KESTROVA_LAB_LOG"
}

# A connection attempt gets no answer at all (neither accepted nor refused) while ARP has
# resolved the address: the neighbour entry is complete and was not pinned.
silent_host_resolves_but_never_answers() {
    local host=$KESTROVA_LAB_SILENT_HOSTS
    timeout 2 bash -c 'exec 3<>"/dev/tcp/$0/80"' "$host" 2>/dev/null
    local status=$?
    ((status == 124)) || { echo "connection attempt ended with $status, not unanswered"; return 1; }
    ip neigh show "$host" | grep -Eq ' lladdr [0-9a-f:]+ (REACHABLE|STALE|DELAY|PROBE) *$' || { ip neigh show "$host"; return 1; }
}

check "the tool namespace has only lo and $KESTROVA_LAB_TOOL_IF" only_lab_interfaces
check "the tool namespace has only the lab addresses" only_lab_addresses
check "a multicast search crosses the link and every camera replies" search_crosses_link
check "camera 0 answers GetEnv over HTTP and logs the request" camera_answers_http
check "the silent host resolves but never answers TCP" silent_host_resolves_but_never_answers
exit $((failures > 0))
