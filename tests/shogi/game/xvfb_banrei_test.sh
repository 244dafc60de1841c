#!/usr/bin/env bash
# banrei in a real X server: it starts with light settings, shows the
# board with the menu over it, keys start a computer game that moves on the
# screen, a person's move by mouse clicks lands in the record, and q ends the
# program with status 0; with fairy-stockfish as gote, its answer to a
# clicked move shows on the board. Screenshots are kept in $BANREI_SHOTS when it names
# a folder. Closing the window while the computer thinks ends the program
# with status 0 and leaves a whole record.
# Usage: xvfb_banrei_test.sh path/to/banrei path/to/folder/with/settings path/to/wm_delete
set -Eeuo pipefail
banrei=$(realpath "$1")
settings=$(realpath "$2")
wm_delete=$(realpath "$3")
source "$(dirname "$0")/../../xvfb_lib.sh"
start_xvfb

cd "$work"
# The shipped settings with the search capped at the first shipped depth and
# width: this test is about the window, not about the computer's strength.
for name in sente.ini gote.ini; do
    awk '/^DEPTH_MAX:/ && $2 > 4 { $0 = "DEPTH_MAX: 4" } /^SASITE_MAX:/ && $2 > 16 { $0 = "SASITE_MAX: 16" } { print }' \
        "$settings/$name" >"$name"
done

start_banrei() {
    "$banrei" "$@" >"$work/out.txt" 2>"$work/err.txt" &
    app_pid=$!
    wait_for 100 xdotool search --name '^ZTL for Win32$' || fail "no window titled 'ZTL for Win32'"
    window=$(xdotool search --name '^ZTL for Win32$' | head -1)
    client=$(xwininfo -tree -id "$window" | grep -E ' 640x240\+0\+[0-9]+ ' | head -1) || fail "no 640x240 client area"
    geometry=$(xwininfo -id "$(awk '{print $1}' <<<"$client")")
    cx=$(awk '/Absolute upper-left X/ {print $4}' <<<"$geometry")
    cy=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$geometry")
}
start_banrei

# The client area as 640 x 240 grey bytes, kept under the shot's name.
shot() {
    import -window root "$work/$1.png" &&
        convert "$work/$1.png" -crop "640x240+$cx+$cy" +repage -colorspace gray -depth 8 "gray:$work/$1.raw"
    if [[ -n "${BANREI_SHOTS:-}" ]]; then cp "$work/$1.png" "$BANREI_SHOTS/"; fi
}
grey_at() { od -An -tu1 -j $(($3 * 640 + $2)) -N1 "$work/$1.raw" | tr -d ' '; }
shows() { shot "$1" && [[ $(grey_at "$1" "$2" "$3") -eq $4 ]]; }
# The board's 207 x 207 pixels of a shot, for comparing two of them.
board_of() { convert "$work/$1.png" -crop "207x207+$((cx + 216))+$((cy + 16))" +repage gray:- | md5sum; }
moves_recorded() { grep -c '^[+-][0-9]' banrei.csa || true; }
click_square() {  # file, rank: the centre of the square on the unturned board
    xdotool mousemove $((cx + 216 + (9 - $1) * 23 + 11)) $((cy + 16 + ($2 - 1) * 23 + 11)) click 1
    sleep 0.2
}
focus_board() {
    xdotool mousemove $((cx + 620)) $((cy + 230))
    take_focus "$window" || fail "the window did not take the keyboard focus"
    sleep 0.2
}

# --- start: banner, board, menu ------------------------------------------------------
wait_for 100 shows start 2 2 0 || fail "no menu frame at the top left"
[[ $(grey_at start 216 16) -eq 0 ]] || fail "no board grid at (216, 16)"
[[ $(grey_at start 204 4) -eq 170 ]] || fail "no light grey surround at (204, 4)"
[[ $(grey_at start 639 200) -eq 255 ]] || fail "the screen is not white at its right edge"
grep -qx "BanreiZTL version 1.1.0" out.txt || fail "no banner"
grep -qx "N+MATTA" banrei.csa || fail "no fresh record"
initial_board=$(board_of start)

# --- the computer plays itself for a few moves, then Escape opens the menu -----------------
focus_board
xdotool key n c c
wait_for 50 grep -qx "N+Zentrio" banrei.csa || fail "the new game did not rewrite the record"
xdotool key Return  # "対局開始！"
wait_for 300 eval '(($(moves_recorded) >= 4))' || fail "the computer did not play"
shot computer
[[ $(board_of computer) != "$initial_board" ]] || fail "the board on the screen did not change"
xdotool key Escape
sleep 0.5
wait_for 50 shows menu 2 2 0 || fail "Escape after a think did not open the menu"

# --- a person against the computer: a move by two clicks --------------------------------
xdotool key n h c
wait_for 50 grep -qx "N+Human" banrei.csa || fail "the person's game did not start"
xdotool key Return
# The person's turn shows the board cursor on the centre square (its corners
# are inverted twice, so a pixel beside one).
wait_for 50 shows turn $((216 + 4 * 23 + 2)) $((16 + 4 * 23 + 1)) 0 || fail "no board cursor for the person's turn"
click_square 7 7
click_square 7 6
wait_for 50 grep -qx "+7776FU" banrei.csa || fail "the clicked move is not in the record"
wait_for 300 eval '[[ $(sed -n 11p banrei.csa) == -* ]]' || fail "the computer did not answer"
shot answered

# --- q ends the program with status 0 -------------------------------------------------------
focus_board
xdotool key q
expect_exit q

# --- fairy-stockfish as gote: a move by two clicks, the engine's answer on the board -------
fairy=$(command -v fairy-stockfish || ls /usr/games/fairy-stockfish 2>/dev/null || true)
if [[ -n "$fairy" ]]; then
    start_banrei --usi "$fairy"
    focus_board
    xdotool key n h r  # sente a person, gote the engine (the player choice's third answer)
    wait_for 50 grep -qx "N-RS232C" banrei.csa || fail "the engine is not gote in the record"
    xdotool key Return
    shot usi_start
    click_square 7 7
    click_square 7 6
    wait_for 50 grep -qx "+7776FU" banrei.csa || fail "the clicked move is not in the record"
    shot usi_moved
    wait_for 150 eval '[[ $(sed -n 11p banrei.csa) == -* ]]' || fail "fairy-stockfish did not answer"
    sleep 0.5
    shot usi_answered
    [[ $(board_of usi_answered) != $(board_of usi_moved) ]] || fail "the engine's answer is not on the board"
    focus_board
    xdotool key q
    expect_exit "q after the engine's answer"
fi

# --- closing the window while the computer plays itself ----------------------------------------
start_banrei
focus_board
xdotool key n c c
wait_for 50 grep -qx "N+Zentrio" banrei.csa || fail "the new game did not rewrite the record"
xdotool key Return
wait_for 300 eval '(($(moves_recorded) >= 3))' || fail "the computer did not play"
"$wm_delete" "$window"
expect_exit "closing the window"
# After the header, every move line is followed by its time line.
awk 'NR > 8 && NR % 2 == 1 && !/^[+-][0-9][0-9][0-9][0-9][A-Z][A-Z]$/ {bad = 1}
     NR > 8 && NR % 2 == 0 && !/^T[0-9]+$/ {bad = 1}
     END {exit bad || NR % 2 != 0}' banrei.csa || fail "the record is not whole: $(cat banrei.csa)"
echo "xvfb banrei test: passed"
