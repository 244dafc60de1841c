# Shared frame of the real-window tests: a scratch folder, a private X server
# (Xvfb) on a free display, cleanup on any exit, and waiting helpers.
# Source it from a test script run by bash with `set -Eeuo pipefail`; it
# defines $work, $xvfb_pid and $app_pid (the script sets the latter).

work=$(mktemp -d)
# The programs remember settings under ~/.config: each test starts from none.
export XDG_CONFIG_HOME="$work/config"
xvfb_pid=""
app_pid=""
# The server is waited for: on its way out it unlinks its socket, which would
# cut off the next server that took the same display number meanwhile.
cleanup() {
    [[ -n "$app_pid" ]] && kill "$app_pid" 2>/dev/null || true
    if [[ -n "$xvfb_pid" ]]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP  # cleaned up on a kill by the test driver too

# Reports the failure with what the program printed, and ends the test.
fail() {
    echo "FAIL: $* (display ${DISPLAY:-none})" >&2
    [[ -s "$work/xvfb.log" ]] && tail -5 "$work/xvfb.log" | sed 's/^/  Xvfb: /' >&2
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

# Gives the window $1 the keyboard focus and waits until it has it: a window
# only just mapped may refuse it, and keys typed meanwhile would be lost.
take_focus() { wait_for 50 has_focus "$1"; }
has_focus() { xdotool windowfocus "$1" && [[ $(xdotool getwindowfocus) == "$1" ]]; }
# Without a window manager keys go to the focused window under the pointer:
# puts the pointer at the middle of window $1 (leaving its X, Y, WIDTH and
# HEIGHT set) and gives it the focus.
point_and_focus() {
    eval "$(xdotool getwindowgeometry --shell "$1")"
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
    take_focus "$1"
}

# Starts Xvfb on a free display and points DISPLAY at it; real windows, not
# the offscreen platform. The number is drawn at random: a server that is
# going away unlinks its socket late, and would cut off a new server that
# took its number just then (tests of other folders run at the same time).
# -noreset: the server would reset when its last client leaves, and refuse the
# program a test starts next while it does. $1: the screen size, 1024x768 when
# not given.
start_xvfb() {
    local display attempt size=${1:-1024x768}
    for ((attempt = 0; attempt < 20; attempt++)); do
        display=$((100 + RANDOM % 900))
        : >"$work/display"
        Xvfb ":$display" -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
        xvfb_pid=$!
        wait_for 100 eval 'test -s "$work/display" || ! kill -0 "$xvfb_pid"'
        if [[ -s "$work/display" ]] && kill -0 "$xvfb_pid" 2>/dev/null; then
            export DISPLAY=":$display"
            unset QT_QPA_PLATFORM
            return 0
        fi
        wait "$xvfb_pid" 2>/dev/null || true  # the number was taken: another one
        xvfb_pid=""
    done
    fail "Xvfb did not start"
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
