#!/usr/bin/env bash
# notava in a real X server (Xvfb): the main window with its title and client
# size, Ctrl+O and the open dialog, the list view that the load shows, a tab,
# a double-click in the list that fills the main window's fields and moves
# its calendar, and Exit from the menu with status 0.
# Screenshots are kept in $NOTAVA_SHOTS when it names a folder.
# Usage: xvfb_notava_test.sh path/to/notava path/to/sample.idx
set -Eeuo pipefail

source "$(dirname "$0")/xvfb_notava_lib.sh" "$@"  # $viewer, $sample; Xvfb started

# Pixels of a rectangle of a screenshot that are not the edit's white.
ink() {  # shot x y width height
    convert "$work/$1.png" -crop "$4x$5+$2+$3" +repage -colorspace gray -depth 8 gray:- |
        od -An -v -tu1 | tr -s ' ' '\n' | awk '$1 != "" && $1 < 200 {n++} END {print n + 0}'
}

cd "$work"
"$viewer" >"$work/out.txt" 2>"$work/err.txt" &
app_pid=$!
wait_for 100 visible '^ZT Todo list Viewer$' || fail "no window titled 'ZT Todo list Viewer'"
main=$(visible '^ZT Todo list Viewer$')
eval "$(xdotool getwindowgeometry --shell "$main")"
main_x=$X main_y=$Y
[[ $WIDTH -eq 323 ]] || fail "main window width $WIDTH"
menu=$((HEIGHT - 337))
((menu > 10 && menu < 40)) || fail "main window height $HEIGHT: no 337-pixel client under a menu bar"
[[ -z "$(visible '一覧表示')" ]] || fail "the list view shows before a file is loaded"
content_x=$((main_x + 4)) content_y=$((main_y + menu + 220))  # inside the Content edit
calendar_y=$((main_y + menu + 32))
# The window is mapped before it is painted, and a slow build paints late.
content_empty() { shot main_start && (($(ink main_start $content_x $content_y 300 40) == 0)); }
wait_for 50 content_empty || fail "the Content field is not empty at start"

# --- open the sample pair through the dialog ---------------------------------------
focus "$main"
xdotool key ctrl+o
wait_for 100 visible '^Open$' || fail "Ctrl+O opened no dialog"
dialog=$(visible '^Open$')
focus "$dialog"
xdotool type --delay 5 "$sample"
xdotool key Return
wait_for 100 visible '一覧表示' || fail "the list view did not show after the load"
wait_for 50 eval '[[ -z "$(visible "^Open\$")" ]]' || fail "the dialog stayed open"
list=$(visible '一覧表示')
eval "$(xdotool getwindowgeometry --shell "$list")"
list_x=$X list_y=$Y
[[ "$X,$Y,$WIDTH,$HEIGHT" == "455,108,541,315" ]] || fail "list view at $X,$Y size ${WIDTH}x$HEIGHT"
sleep 0.3
shot loaded

# --- a tab, then a double-click on a row of the first tab ------------------------------
xdotool mousemove $((list_x + 110)) $((list_y + 14)) click 1  # 期限順
sleep 0.3
shot list_by_due_date
xdotool mousemove $((list_x + 30)) $((list_y + 14)) click 1  # 記入順
sleep 0.3
row_y=$((list_y + 2 + 27 + 20 + 20 * 5 + 10))  # the sixth entry: three lines of content, due 14 April 2000
xdotool mousemove $((list_x + 120)) "$row_y" click 1
sleep 0.2
xdotool click --repeat 2 --delay 80 1
content_filled() { shot double_clicked && (($(ink double_clicked $content_x $content_y 300 40) > 50)); }
wait_for 50 content_filled ||
    fail "the double-click filled no Content field ($(ink double_clicked $content_x $content_y 300 40) dark pixels)"
cmp -s <(convert "$work/main_start.png" -crop "320x120+$main_x+$calendar_y" gray:-) \
    <(convert "$work/double_clicked.png" -crop "320x120+$main_x+$calendar_y" gray:-) &&
    fail "the calendar did not move"

# --- About, then Exit from the menu -------------------------------------------------
menu_item "$main" h a
wait_for 50 visible '^About$' || fail "Help > About opened no box"
about=$(visible '^About$')
eval "$(xdotool getwindowgeometry --shell "$about")"
[[ "$WIDTH,$HEIGHT,$X,$Y" == "290,153,$((1024 / 2 - 145)),$((768 / 2 - 76))" ]] ||
    fail "about box ${WIDTH}x$HEIGHT at $X,$Y"
shot about
focus "$about"
xdotool key Return
wait_for 50 eval '[[ -z "$(visible "^About\$")" ]]' || fail "OK did not close the about box"

menu_item "$main" f x
expect_exit "File > Exit"
echo "xvfb notava test: passed"
