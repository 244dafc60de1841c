#!/usr/bin/env bash
# Two banrei programs play each other across TCP on the loopback: one listens
# and plays sente with its computer, the other connects and plays gote with
# its own. The game runs to its end; both records then hold the same moves
# and times, and differ only in the header's player names.
# Usage: tcp_two_programs_test.sh path/to/headless_banrei path/to/folder/with/settings
set -Eeuo pipefail
program=$(realpath "$1")
settings=$(realpath "$2")
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

for side in listener connector; do
    mkdir "$work/$side"
    # Light settings: this test is about the link, not the computer's strength.
    for name in sente.ini gote.ini; do
        awk '/^DEPTH_MAX:/ && $2 > 2 { $0 = "DEPTH_MAX: 2" } /^SASITE_MAX:/ && $2 > 8 { $0 = "SASITE_MAX: 8" } { print }' \
            "$settings/$name" >"$work/$side/$name"
    done
done

port=$((20000 + $$ % 20000))
# Menu "n", then sente and gote; "x" closes "対局開始！".
(cd "$work/listener" && BANREI_KEYS=ncrx timeout 120 "$program" --listen "$port" >out.txt 2>&1) &
listener=$!
sleep 0.5
(cd "$work/connector" && BANREI_KEYS=nrcx timeout 120 "$program" --connect "127.0.0.1:$port" >out.txt 2>&1) &
connector=$!
wait "$listener" || fail "the listening program ended with status $?: $(cat "$work/listener/out.txt")"
wait "$connector" || fail "the connecting program ended with status $?: $(cat "$work/connector/out.txt")"

a="$work/listener/banrei.csa"
b="$work/connector/banrei.csa"
[[ $(sed -n 2,3p "$a" | tr '\n' ' ') == "N+Zentrio N-RS232C " ]] || fail "listener's header: $(head -3 "$a")"
[[ $(sed -n 2,3p "$b" | tr '\n' ' ') == "N+RS232C N-Zentrio " ]] || fail "connector's header: $(head -3 "$b")"
moves=$(grep -c '^[+-][0-9]' "$a" || true)
((moves >= 10)) || fail "only $moves moves were played"
cmp <(sed 2,3d "$a") <(sed 2,3d "$b") || fail "the records differ: $(diff <(sed 2,3d "$a") <(sed 2,3d "$b") | head)"
echo "two programs played $moves moves over TCP; the records agree"
