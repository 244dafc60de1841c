# Shared frame of the real-window tests: a scratch folder, a private X server
# (Xvfb) on a free display, cleanup on any exit, and waiting helpers.
# Source it from a test script run by bash with `set -Eeuo pipefail`; it
# defines $work, $xvfb_pid and $app_pid (the script sets the latter).

work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
    [[ -n "$app_pid" ]] && kill "$app_pid" 2>/dev/null || true
    [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP  # cleaned up on a kill by the test driver too

# Reports the failure with what the program printed, and ends the test.
fail() {
    echo "FAIL: $*" >&2
    local stream
    for stream in out err; do
        [[ -s "$work/$stream.txt" ]] && sed "s/^/  std$stream: /" "$work/$stream.txt" >&2
    done
    exit 1
}
# A failing command says where, once (a command substitution passes it up).
trap 'status=$?; ((BASH_SUBSHELL)) && exit 1; fail "line $LINENO: a command failed with status $status"' ERR

# Waits up to $1 tenths of a second for the command after it to succeed.
wait_for() {
    local tenths=$1
    shift
    for ((i = 0; i < tenths; i++)); do
        if "$@" >/dev/null 2>&1; then return 0; fi
        sleep 0.1
    done
    return 1
}

# Starts Xvfb on a free display and points DISPLAY at it; real windows, not
# the offscreen platform.
start_xvfb() {
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    xvfb_pid=$!
    wait_for 100 test -s "$work/display" || fail "Xvfb did not start"
    export DISPLAY=":$(head -1 "$work/display")"
    unset QT_QPA_PLATFORM
}

# Waits up to 10 s for the program ($app_pid) to end after what $1 names, and
# checks its exit status ($2, 0 when not given).
expect_exit() {
    local expected=${2:-0} status=0
    for ((i = 0; i < 100; i++)); do
        kill -0 "$app_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$app_pid" 2>/dev/null && fail "$1: the program did not end"
    wait "$app_pid" || status=$?
    app_pid=""
    [[ $status -eq $expected ]] || fail "$1: exit status $status, expected $expected"
}
