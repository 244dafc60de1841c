#!/usr/bin/env bash
# Takes the README's pictures of the three programs from the real programs in
# a private X server (Xvfb): banrei with a game under way, notava with the
# sample ToDo list open (main window and list window) and iconmaker with the
# sample picture loaded. Each window is cropped to itself and written, made
# small, as docs/<program>.png. Run it after a change to a window and commit
# the pictures.
# Usage: scripts/screenshots.sh [build-dir]
#   Without a build directory the programs are built with the default preset
#   into build/; with one, the programs already built there are used.
set -Eeuo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
docs=$repo/docs

if (($# == 0)); then
    bash scripts/setup.sh
    cmake --preset default >/dev/null
    cmake --build --preset default --target banrei notava iconmaker
    build=$repo/build
else
    build=$(realpath "$1")
fi

# The programs are found by name, wherever the build puts them.
program() {
    local found
    found=$(find "$build" -type f -perm -u+x -name "$1" -print -quit)
    [[ -n "$found" ]] || { echo "screenshots: no $1 in $build (build it first)" >&2; exit 1; }
    echo "$found"
}
banrei=$(program banrei)
notava=$(program notava)
iconmaker=$(program iconmaker)

source "$repo/tests/xvfb_lib.sh"
start_xvfb
# The file dialogs keep their state in the home folder: a scratch one.
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
mkdir -p "$docs"

visible() { xdotool search --onlyvisible --name "$1" | head -1; }
focus() {
    point_and_focus "$1" || echo "window $1 did not take the focus" >&2
    sleep 0.3
}
# Writes window $1 as docs/$2.png: stripped, palette colours where they suffice.
save_window() {
    import -window "$1" "$work/$2.png"
    convert "$work/$2.png" -strip -colors 64 -define png:compression-level=9 "PNG8:$docs/$2.png"
    echo "screenshots: docs/$2.png ($(stat -c %s "$docs/$2.png") bytes)"
}
# Starts program $1 and waits for its window titled $2, kept in $window.
launch() {
    "$1" >"$work/out.txt" 2>"$work/err.txt" &
    app_pid=$!
    wait_for 100 visible "^$2\$" || fail "no window titled $2"
    window=$(visible "^$2\$")
    sleep 0.3
}
# The pictures are taken; how the program ends does not matter.
stop_program() {
    kill "$app_pid"
    wait "$app_pid" 2>/dev/null || true
    app_pid=""
}
# Types $2 into the dialog titled $1 (its name field has the focus) and confirms.
answer_dialog() {
    wait_for 100 visible "^$1\$" || fail "no dialog titled $1"
    local dialog
    dialog=$(visible "^$1\$")
    focus "$dialog"
    xdotool type --delay 10 "$2"
    xdotool key Return
    wait_for 50 eval '[[ -z "$(visible "^$1\$")" ]]' || fail "the dialog $1 stayed open"
}

# --- banrei: a person (sente) against the computer, three moves each ------------------
mkdir "$work/banrei"
cd "$work/banrei"
cp "$repo/data/sente.ini" "$repo/data/gote.ini" .
launch "$banrei" "ZTL for Win32"
focus "$window"
xdotool key n h c
wait_for 50 grep -qx "N+Human" banrei.csa || fail "banrei did not start a game"
xdotool key Return  # "対局開始！"

moves_recorded() { grep -c '^[+-][0-9]' banrei.csa || true; }
# The board cursor starts on the centre square and stays where a move leaves
# it. Columns count from file 9 at the left, rows from rank 1 at the top.
cursor_column=4 cursor_row=4
cursor_to() {  # file rank
    local column=$((9 - $1)) row=$(($2 - 1))
    for ((; cursor_column < column; cursor_column++)); do xdotool key Right; done
    for ((; cursor_column > column; cursor_column--)); do xdotool key Left; done
    for ((; cursor_row < row; cursor_row++)); do xdotool key Down; done
    for ((; cursor_row > row; cursor_row--)); do xdotool key Up; done
}
play() {  # from-file from-rank to-file to-rank: a move of the person's, then the computer's answer
    local before
    before=$(moves_recorded)
    cursor_to "$1" "$2"
    xdotool key Return
    cursor_to "$3" "$4"
    xdotool key Return
    wait_for 50 eval '(($(moves_recorded) > before))' || fail "the move $1$2-$3$4 is not in the record"
    wait_for 300 eval '(($(moves_recorded) > before + 1))' || fail "the computer did not answer $1$2-$3$4"
    sleep 0.3
}
# Moves that open no bishop line, so the pictured game is a quiet opening.
play 2 7 2 6
play 2 6 2 5
play 6 9 7 8
save_window "$window" banrei
stop_program

# --- notava: the sample list, an entry shown from the list window ----------------------
cd "$work"
launch "$notava" "ZT Todo list Viewer"
main=$window
focus "$main"
xdotool key ctrl+o
answer_dialog Open "$repo/data/notava/sample.idx"
wait_for 100 visible '一覧表示' || fail "notava's list window did not show"
list=$(visible '一覧表示')
sleep 0.3
# The sixth row of the first tab: an entry due 14 April 2000.
eval "$(xdotool getwindowgeometry --shell "$list")"
xdotool mousemove $((X + 120)) $((Y + 2 + 27 + 20 + 20 * 5 + 10)) click 1
sleep 0.2
xdotool click --repeat 2 --delay 80 1
sleep 0.5
save_window "$main" notava
save_window "$list" notava-list
stop_program

# --- iconmaker: the sample picture loaded ------------------------------------------------
launch "$iconmaker" "アイコン作成"
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove $((X + 124)) $((Y + 20)) sleep 0.2 click 1  # ファイルを開く
answer_dialog ビットマップファイル読み込み "$repo/data/iconmaker/sample.bmp"
sleep 0.5
save_window "$window" iconmaker
stop_program
