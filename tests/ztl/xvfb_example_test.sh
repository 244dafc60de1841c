#!/usr/bin/env bash
# Real-window test of the ZTL desktop: the example program in a real X server
# (Xvfb). Checks the title, the 640 x 240 client area, the pixels it drew, that
# xdotool keys and clicks arrive as the right codes, the menu's message boxes,
# and exit status 0 for &Exit while app_main waits, for &Exit while it is busy
# drawing (what it wrote to its file stays), and for app_main returning.
# Usage: xvfb_example_test.sh path/to/ztl_example
set -Eeuo pipefail

example=$(realpath "$1")
source "$(dirname "$0")/../xvfb_lib.sh"
start_xvfb
cd "$work"  # the example appends its echo lines to ztl_example.log here

start_example() {
    : >"$work/out.txt"
    "$example" >"$work/out.txt" 2>"$work/err.txt" &
    app_pid=$!
    wait_for 200 grep -qx ready "$work/out.txt" || fail "the example did not get ready"
    wait_for 100 xdotool search --name '^ZTL for Win32$' || fail "no window titled 'ZTL for Win32'"
    window=$(xdotool search --name '^ZTL for Win32$' | head -1)
}

# Waits until stdout holds the line, e.g. expect_line "code 0x61".
expect_line() {
    wait_for 100 grep -qxF "$1" "$work/out.txt" || fail "expected output line '$1'"
}

# --- start, title, client area ----------------------------------------------------
start_example
grep -qx "application stack 32 MiB" "$work/out.txt" || fail "application thread stack is not 32 MiB"
[[ "$(xdotool getwindowname "$window")" == "ZTL for Win32" ]] || fail "title"

# The client area is a native child window of its own: exactly 640 x 240, under the menu bar.
client=$(xwininfo -tree -id "$window" | grep -E ' 640x240\+0\+[0-9]+ ' | head -1) ||
    fail "no 640x240 client area: $(xwininfo -tree -id "$window")"
client_id=$(awk '{print $1}' <<<"$client")
menu_height=$(sed -E 's/.* 640x240\+0\+([0-9]+) .*/\1/' <<<"$client")
((menu_height > 0)) || fail "the client area is not under a menu bar"
geometry=$(xwininfo -id "$client_id")
cx=$(awk '/Absolute upper-left X/ {print $4}' <<<"$geometry")
cy=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$geometry")
outer=$(xwininfo -id "$window")
[[ $(awk '/Width:/ {print $2}' <<<"$outer") -eq 640 ]] || fail "window width is not 640"
[[ $(awk '/Height:/ {print $2}' <<<"$outer") -eq $((240 + menu_height)) ]] || fail "window height"

# Keys go to the focused window, or without a window manager to the one under
# the pointer: both are made the client area, at an empty place of it.
focus_client() {
    xdotool mousemove $((cx + 300)) $((cy + 140))
    take_focus "$window" || fail "the window did not take the keyboard focus"
    sleep 0.2
}

# --- the picture -----------------------------------------------------------------------
grey_at() { od -An -tu1 -j $(($2 * 640 + $1)) -N1 "$work/client.raw" | tr -d ' '; }
# Takes the client area as 640 x 240 grey bytes; true when pixel ($1, $2) has grey $3.
shot_shows() {
    import -window root "$work/shot.png" &&
        convert "$work/shot.png" -crop "640x240+$cx+$cy" +repage -colorspace gray -depth 8 \
            "gray:$work/client.raw" &&
        [[ $(stat -c %s "$work/client.raw") -eq $((640 * 240)) && $(grey_at "$1" "$2") -eq $3 ]]
}
wait_for 50 shot_shows 639 239 0 || fail "the screenshot does not show the frame around the screen"
expect_grey() {
    local got
    got=$(grey_at "$1" "$2")
    [[ $got -eq $3 ]] || fail "pixel ($1, $2) is $got, expected $3"
}
expect_grey 0 0 0         # the frame around the whole screen: the client is 1:1
expect_grey 639 239 0
expect_grey 639 0 0
expect_grey 30 30 255     # white swatch
expect_grey 70 30 170     # light grey
expect_grey 110 30 85     # dark grey
expect_grey 150 30 0      # black
expect_grey 300 140 255   # empty screen
ink=$(od -An -v -tu1 "$work/client.raw" -w640 | sed -n '21,36p' |
    awk '{for (i = 201; i <= 340; i++) if ($i < 128) n++} END {print n + 0}')
((ink > 40)) || fail "no text drawn at (200, 20): $ink dark pixels"

# --- keys ------------------------------------------------------------------------------
focus_client
xdotool key a Left shift+Left ctrl+shift+F1 shift+Tab ctrl+b Return BackSpace Escape KP_Home Henkan ctrl+F10
for line in "code 0x61" "code 0x4B00" "code 0x4B0F" "code 0x3BFF" "code 0xF09" "code 0x2" \
    "code 0xD" "code 0x8" "code 0x1B" "code 0x4700" "code 0x7900" "code 0x44F0"; do
    expect_line "$line"
done

# The input method switch goes to the window thread and back.
xdotool key F2
expect_line "ime open 1"
xdotool key F2
expect_line "ime open 0"

# --- pen -------------------------------------------------------------------------------
# A pressed button shows inverted (painted from the window thread) and reports only its release.
xdotool mousemove $((cx + 40)) $((cy + 190)) mousedown 1  # button A
wait_for 50 shot_shows 40 190 0 || fail "the pressed button is not shown inverted"
xdotool mouseup 1
expect_line "code 0x301 at 40,190"
wait_for 50 shot_shows 40 190 255 || fail "the released button stays inverted"
xdotool mousemove $((cx + 132)) $((cy + 200)) click 1  # button B
expect_line "code 0x302 at 132,200"
xdotool mousemove $((cx + 300)) $((cy + 140)) click 1  # the pad
expect_line "code 0x201 at 300,140"
expect_line "code 0x202 at 300,140"
# The pointer is captured: a release outside the window goes to the last hit area.
xdotool mousemove $((cx + 300)) $((cy + 140)) mousedown 1
expect_line "code 0x201 at 300,140"
xdotool mousemove $((cx + 700)) $((cy + 100)) mouseup 1
expect_line "code 0x202 at 700,100"
xdotool mousemove $((cx + 300)) $((cy + 150))          # moves with the button up say nothing
sleep 0.3
grep -q "at 300,150" "$work/out.txt" && fail "a move with the button up was reported"

# --- menu: the message boxes -------------------------------------------------------------
# A menu's popup is one more visible window of the example's class.
visible_windows() { xdotool search --onlyvisible --class '^ztl_example$' 2>/dev/null | wc -l; }
open_menu() {  # Alt key of the menu, then the key of its item
    local before
    before=$(visible_windows)
    xdotool key "$1"
    wait_for 100 eval '(($(visible_windows) > before))' || fail "no menu popup after $1"
    xdotool key "$2"
}
box_shown() { xdotool search --onlyvisible --name "^$1\$"; }
box_closed() { ! box_shown "$1"; }
open_box() {  # menu key, item key, expected title
    open_menu "$1" "$2"
    wait_for 100 box_shown "$3" || fail "no '$3' box after $1 $2"
    local box
    box=$(box_shown "$3" | head -1)
    point_and_focus "$box" || fail "the box did not take the keyboard focus"
    # A Return that came before the box took the focus is pressed again.
    for ((try = 0; try < 5; try++)); do
        xdotool key Return
        wait_for 20 box_closed "$3" && break
    done
    box_closed "$3" || fail "'$3' box did not close"
    focus_client
}
open_box alt+h a "About"
open_box alt+p r "Ztl Debug Message"
for menu_key in 0x68 0x70 0x72; do  # h, p, r went to the menu, not to the application
    grep -qx "code $menu_key" "$work/out.txt" && fail "a menu key arrived as code $menu_key"
done

# --- &Exit while app_main waits ----------------------------------------------------------
open_menu alt+p e
expect_exit "&Exit"

# --- &Exit while app_main is busy drawing ---------------------------------------------------
start_example
focus_client
xdotool key x b
expect_line "busy"
open_menu alt+p e
expect_exit "&Exit while busy"
grep -qx idle "$work/out.txt" && fail "the application was no longer busy at &Exit"
grep -qx "code 0x78" ztl_example.log || fail "the application's file lost its lines"
[[ $(tail -1 ztl_example.log) == "code 0x62" ]] || fail "the file does not end with the last line"

# --- exit() inside app_main ends the process with its status ----------------------------------
start_example
focus_client
xdotool key e
expect_exit "exit(3) in app_main" 3

# --- app_main returning closes the window --------------------------------------------------
start_example
focus_client
xdotool key q
expect_exit "app_main returning"
xdotool search --name '^ZTL for Win32$' >/dev/null 2>&1 && fail "the window stayed open"

echo "xvfb example test: 1 passed, 0 failed"
