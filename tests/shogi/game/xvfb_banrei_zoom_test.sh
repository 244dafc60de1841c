#!/usr/bin/env bash
# banrei enlarged in a real X server: the window resized to twice the
# screen shows every screen pixel as a sharp 2 x 2 square, a move made by two
# clicks at that size lands in the record, Ctrl+minus / Ctrl+plus / Ctrl+0
# change the factor without reaching the game, the factor is remembered for
# the next start, and at Qt's scale factor 1.5 the pixels stay sharp.
# Usage: xvfb_banrei_zoom_test.sh path/to/banrei path/to/folder/with/settings
set -Eeuo pipefail
banrei=$(realpath "$1")
settings=$(realpath "$2")
source "$(dirname "$0")/../../xvfb_lib.sh"
start_xvfb 1920x1080

cd "$work"
# Light settings: this test is about the window, not the computer's strength.
for name in sente.ini gote.ini; do
    awk '/^DEPTH_MAX:/ && $2 > 2 { $0 = "DEPTH_MAX: 2" } /^SASITE_MAX:/ && $2 > 8 { $0 = "SASITE_MAX: 8" } { print }' \
        "$settings/$name" >"$name"
done

# Finds the client area of size $1 (e.g. 1280x480) and sets cx, cy to its corner.
find_client() {
    client=$(xwininfo -tree -id "$window" | grep -E " $1\+0\+[0-9]+ " | head -1) || return 1
    geometry=$(xwininfo -id "$(awk '{print $1}' <<<"$client")")
    cx=$(awk '/Absolute upper-left X/ {print $4}' <<<"$geometry")
    cy=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$geometry")
    menu_height=$(sed -E "s/.* $1\+0\+([0-9]+) .*/\1/" <<<"$client")
}
start_banrei() {
    "$banrei" >"$work/out.txt" 2>"$work/err.txt" &
    app_pid=$!
    wait_for 100 xdotool search --name '^ZTL for Win32$' || fail "no window titled 'ZTL for Win32'"
    window=$(xdotool search --name '^ZTL for Win32$' | head -1)
    wait_for 50 find_client "$1" || fail "no $1 client area: $(xwininfo -tree -id "$window")"
}
# The client area ($2 pixels wide, $3 high) as grey bytes in $work/$1.raw.
shot() {
    import -window root "$work/$1.png" &&
        convert "$work/$1.png" -crop "$2x$3+$cx+$cy" +repage -colorspace gray -depth 8 "gray:$work/$1.raw"
}
# Whether the shot $1 (1280 x 480) is made of uniform 2 x 2 squares whose
# board (the clock ticks beside it) is the board of shot $2 (640 x 240) at x1.
doubles() {
    python3 - "$work/$1.raw" "$work/$2.raw" <<'PY'
import sys
big = open(sys.argv[1], "rb").read()
small = open(sys.argv[2], "rb").read()
assert len(big) == 1280 * 480 and len(small) == 640 * 240
for y in range(480):
    for x in range(1280):
        if big[y * 1280 + x] != big[(y & ~1) * 1280 + (x & ~1)]:
            sys.exit(f"pixel ({x}, {y}) differs from its 2 x 2 square")
for y in range(240):
    for x in range(200, 440):
        if big[2 * y * 1280 + 2 * x] != small[y * 640 + x]:
            sys.exit(f"the board pixel ({x}, {y}) is not the x1 one")
PY
}
focus_board() {
    xdotool mousemove $((cx + 5)) $((cy + 5))
    take_focus "$window" || fail "the window did not take the keyboard focus"
    sleep 0.2
}
click_square_at_x2() {  # file, rank: the centre of the square, at twice the size
    xdotool mousemove $((cx + 2 * (216 + (9 - $1) * 23 + 11))) $((cy + 2 * (16 + ($2 - 1) * 23 + 11))) click 1
    sleep 0.2
}

# --- nothing remembered: x1; a person's game waits for its first move ------------------
start_banrei 640x240
focus_board
xdotool key n h c
wait_for 50 grep -qx "N+Human" banrei.csa || fail "the person's game did not start"
xdotool key Return
sleep 1
shot x1 640 240

# --- the window resized to 1280 x 480 under the menu: the screen doubled -----------------
xdotool windowsize "$window" 1280 $((480 + menu_height))
wait_for 50 find_client 1280x480 || fail "the client area did not grow to 1280x480"
sleep 0.5
shot x2 1280 480
doubles x2 x1 || fail "the doubled screen is not sharp 2 x 2 squares of the x1 screen"
focus_board
click_square_at_x2 7 7
click_square_at_x2 7 6
wait_for 50 grep -qx "+7776FU" banrei.csa || fail "the move clicked at x2 is not in the record"
wait_for 300 eval '[[ $(sed -n 11p banrei.csa) == -* ]]' || fail "the computer did not answer"
sleep 0.5
record=$(cat banrei.csa)

# --- shortcuts change the factor and never reach the game --------------------------------
focus_board
xdotool key ctrl+minus
wait_for 50 find_client 640x240 || fail "Ctrl+minus did not go back to x1"
sleep 0.5
shot after_minus 640 240
xdotool key ctrl+plus
wait_for 50 find_client 1280x480 || fail "Ctrl+plus did not go to x2"
sleep 0.5
shot after_plus 1280 480
doubles after_plus after_minus || fail "x2 after Ctrl+plus is not the x1 screen doubled"
[[ "$(cat banrei.csa)" == "$record" ]] || fail "a shortcut reached the game"
grep -qx "zoom=2" "$XDG_CONFIG_HOME/banrei.conf" || fail "x2 is not remembered: $(cat "$XDG_CONFIG_HOME"/*)"
xdotool key q
expect_exit q

# --- the next start remembers x2; Ctrl+0 goes back to x1 ---------------------------------
start_banrei 1280x480
focus_board
xdotool key ctrl+0
wait_for 50 find_client 640x240 || fail "Ctrl+0 did not go back to x1"
grep -qx "zoom=1" "$XDG_CONFIG_HOME/banrei.conf" || fail "x1 is not remembered"
focus_board
xdotool key q
expect_exit q

# --- at a scale factor of 1.5, x2 is 3 x 3 device pixels a screen pixel, sharp -------------
printf '[window]\nzoom=2\n' >"$XDG_CONFIG_HOME/banrei.conf"
QT_SCALE_FACTOR=1.5 start_banrei 1920x720
sleep 1
shot scaled 1920 720
python3 - "$work/scaled.raw" <<'PY' || fail "the screen at scale factor 1.5 is not sharp 3 x 3 squares"
import sys
d = open(sys.argv[1], "rb").read()
assert len(d) == 1920 * 720
assert set(d) <= {0, 85, 170, 255}, "greys between the four levels: resampled"
for y in range(720):
    for x in range(1920):
        if d[y * 1920 + x] != d[(y - y % 3) * 1920 + x - x % 3]:
            sys.exit(f"pixel ({x}, {y}) differs from its 3 x 3 square")
PY
focus_board
xdotool key q
expect_exit q
echo "xvfb banrei zoom test: passed"
