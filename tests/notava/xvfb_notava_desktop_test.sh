#!/usr/bin/env bash
# notava's desktop additions in a real X server (Xvfb): a pair named on the
# command line opens at start, File > Export writes an .ics through its
# dialog, the filter box narrows the list (Ctrl+F), and under a window
# manager (twm) the list window's frame is 541 x 315 at 455, 108 and the
# about box's frame stands in the middle of the screen.
# Screenshots are kept in $NOTAVA_SHOTS when it names a folder.
# Usage: xvfb_notava_desktop_test.sh path/to/notava path/to/sample.idx
set -Eeuo pipefail

source "$(dirname "$0")/xvfb_notava_lib.sh" "$@"  # $viewer, $sample; Xvfb started

# Geometry "x,y,width,height" of the frame around client window $1: its
# position, and its size with the border (twm puts the border outside the
# position, as Qt's frame geometry counts it).
frame_of() {
    local parent
    parent=$(xwininfo -children -id "$1" | awk '/Parent window id:/ {print $4}')
    xwininfo -id "$parent" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
        /Width:/ {w=$2} /Height:/ {h=$2} /Border width:/ {b=$3} END {print x "," y "," w + 2 * b "," h + 2 * b}'
}

# --- opened from the command line, exported from the menu ------------------------------
cd "$work"
"$viewer" "$sample" >"$work/out.txt" 2>"$work/err.txt" &
app_pid=$!
wait_for 100 visible '一覧表示' || fail "the pair named on the command line did not open"
main=$(visible '^ZT Todo list Viewer$')
list=$(visible '一覧表示')
focus "$list"
xdotool key ctrl+f
sleep 0.3
xdotool type --delay 20 "10"  # a day or month 10
sleep 0.3
shot list_filtered
xdotool key Escape
sleep 0.3
shot list_unfiltered

menu_item "$main" f e
wait_for 100 visible '^Export$' || fail "File > Export opened no dialog"
dialog=$(visible '^Export$')
focus "$dialog"
shot export_dialog
xdotool type --delay 5 "$work/from_menu"
xdotool key Return
wait_for 50 test -s "$work/from_menu.ics" || fail "the export wrote no from_menu.ics (default .ics)"
[[ $(grep -c $'^BEGIN:VTODO\r$' "$work/from_menu.ics") -eq 12 ]] || fail "the export has not 12 VTODOs"
"$viewer" --export "$sample" "$work/from_line.ics" >/dev/null
cmp "$work/from_menu.ics" "$work/from_line.ics" || fail "the menu's export differs from the command line's"
shot exported
menu_item "$main" f x
expect_exit "File > Exit"

# --- under a window manager: the frames ---------------------------------------------------
if ! command -v twm >/dev/null; then
    echo "xvfb notava desktop test: passed (twm missing: frames not checked)"
    exit 0
fi
# twm's own fonts are not installed: the server's built-in "fixed" serves.
printf 'RandomPlacement\nUsePPosition "on"\nNoGrabServer\nTitleFont "fixed"\nResizeFont "fixed"\nMenuFont "fixed"\nIconFont "fixed"\nIconManagerFont "fixed"\n' >"$work/twmrc"
twm -f "$work/twmrc" >/dev/null 2>&1 &
twm_pid=$!
trap 'kill $twm_pid 2>/dev/null || true; cleanup' EXIT
sleep 0.5
"$viewer" "$sample" >"$work/out.txt" 2>"$work/err.txt" &
app_pid=$!
wait_for 100 visible '一覧表示' || fail "under twm: no list window"
list=$(visible '一覧表示')
wait_for 30 eval '[[ "$(frame_of "$list")" == "455,108,541,315" ]]' ||
    fail "under twm: the list window's frame is $(frame_of "$list"), not 455,108,541,315"
shot twm_list
main=$(visible '^ZT Todo list Viewer$')
menu_item "$main" h a
wait_for 50 visible '^About$' || fail "under twm: Help > About opened no box"
about=$(visible '^About$')
centred() {
    IFS=, read -r x y w h <<<"$(frame_of "$about")"
    ((x == 1024 / 2 - w / 2 && y == 768 / 2 - h / 2 && h > 153))
}
wait_for 30 centred || fail "under twm: the about box's frame $(frame_of "$about") is not centred"
shot twm_about
kill "$app_pid"
wait "$app_pid" 2>/dev/null || true
app_pid=""
echo "xvfb notava desktop test: passed"
