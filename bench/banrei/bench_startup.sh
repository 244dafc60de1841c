#!/usr/bin/env bash
# Runs bench_startup in a private X server. Usage: bench/banrei/bench_startup.sh [RUNS]
# (from anywhere, after `cmake --build --preset default`).
set -euo pipefail
cd "$(dirname "$0")/../.."
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb; rm -f "$display_file"' EXIT
for ((i = 0; i < 100; i++)); do [[ -s "$display_file" ]] && break; sleep 0.1; done
DISPLAY=":$(head -1 "$display_file")" build/bench/banrei/bench_startup build/shogi/game/banrei data "${1:-5}" 2>/dev/null
