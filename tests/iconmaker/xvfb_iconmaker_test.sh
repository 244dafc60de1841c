#!/usr/bin/env bash
# Real-window test of iconmaker in an X server (Xvfb): the window with its title
# and client size, the sample opened through the dialog, the preview on the
# screen pixel for pixel, the icon converted and saved under a typed name without
# extension, a PNG of it opened through the window's own menu giving the same
# icon, and a close by the window system with exit status 0.
# Usage: xvfb_iconmaker_test.sh path/to/iconmaker path/to/wm_delete path/to/sample.bmp
set -Eeuo pipefail

program=$(realpath "$1")
wm_delete=$(realpath "$2")
source "$(dirname "$0")/../xvfb_lib.sh"
start_xvfb
cp "$3" "$work/sample.bmp"
shots=${ICONMAKER_SHOTS:-}  # a folder to keep the screenshots in, for a person to look at
export HOME=$work XDG_CONFIG_HOME=$work/config  # the file dialog keeps its state there

shown() { xdotool search --onlyvisible --name "^$1\$" | head -1; }
gone() { [[ -z "$(shown "$1")" ]]; }
showing() { [[ -n "$(shown "$1")" ]]; }
shot() {
    import -window root "$work/screen.png"
    [[ -z "$shots" ]] || cp "$work/screen.png" "$shots/$1.png"
}

cd "$work"
"$program" >"$work/out.txt" 2>"$work/err.txt" &
app_pid=$!
wait_for 100 shown "アイコン作成" || fail "no window titled アイコン作成"
window=$(shown "アイコン作成")
geometry=$(xwininfo -id "$window")
x0=$(awk '/Absolute upper-left X/ {print $4}' <<<"$geometry")
y0=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$geometry")
[[ $(awk '/Width:/ {print $2}' <<<"$geometry")x$(awk '/Height:/ {print $2}' <<<"$geometry") == 177x81 ]] ||
    fail "client area is not 177 x 81: $geometry"
shot start

# Clicks the button at ($1, $2) of the form (or, with $1 "key", presses the key $2
# over the preview) until the dialog titled $3 shows; then types $4 into its name
# field (it has the focus) and confirms.
answer_dialog() {
    local title=$3
    # A click is tried again only while no dialog shows: a second click would
    # land in the dialog once it is up.
    for ((try = 0; try < 5; try++)); do
        showing "$title" && break
        if [[ $1 == key ]]; then
            xdotool mousemove $((x0 + 40)) $((y0 + 40)) sleep 0.2 click 1 key "$2"
        else
            xdotool mousemove $((x0 + $1)) $((y0 + $2)) sleep 0.2 click 1
        fi
        wait_for 50 showing "$title" && break
    done
    local dialog
    dialog=$(shown "$title")
    [[ -n "$dialog" ]] || fail "no dialog titled $title"
    point_and_focus "$dialog" || fail "dialog $title does not take the keyboard focus"
    xdotool type --delay 20 "$4"
    xdotool key Return
    wait_for 50 gone "$title" || fail "dialog $title stayed open"
}

# --- open the sample: the preview shows it pixel for pixel --------------------------
answer_dialog 124 20 "ビットマップファイル読み込み" "$work/sample.bmp"
convert "$work/sample.bmp" "$work/expected.png"
preview_matches() {
    shot loaded
    convert "$work/screen.png" -crop "48x48+$((x0 + 17))+$((y0 + 17))" +repage "$work/preview.png"
    [[ $(compare -metric AE "$work/preview.png" "$work/expected.png" null: 2>&1) == 0 ]]
}
wait_for 50 preview_matches || fail "the preview differs from the sample in $(compare -metric AE "$work/preview.png" "$work/expected.png" null: 2>&1) pixels"

# --- convert and save as "icon": icon.ZTI of 576 bytes -------------------------------
answer_dialog 124 60 "変換して保存" "$work/icon"
wait_for 50 test -s "$work/icon.ZTI" || fail "no icon.ZTI written"
[[ $(stat -c %s "$work/icon.ZTI") -eq 576 ]] || fail "icon.ZTI is $(stat -c %s "$work/icon.ZTI") bytes"
# The sample's top row is white, its third row the black frame's top edge.
[[ $(od -An -v -tx1 -N12 "$work/icon.ZTI" | tr -d ' \n') == 000000000000000000000000 ]] || fail "top row not white"
[[ $(od -An -v -tx1 -j24 -N12 "$work/icon.ZTI" | tr -d ' \n') == 0000ffffffffffffffff0000 ]] || fail "frame row"
wait_for 30 preview_matches || fail "the preview changed after saving"

# --- a PNG of the sample through the window's own menu (Ctrl+O): the same icon --------
convert "$work/sample.bmp" "$work/sample.png"
answer_dialog key ctrl+o "画像・アイコンを開く" "$work/sample.png"
wait_for 50 preview_matches || fail "the preview of the PNG differs from the sample"
shot png
answer_dialog 124 60 "変換して保存" "$work/from-png"
wait_for 50 test -s "$work/from-png.ZTI" || fail "no from-png.ZTI written"
cmp "$work/icon.ZTI" "$work/from-png.ZTI" || fail "the PNG gave another icon than the BMP"

# --- closed by the window system: exit status 0 ---------------------------------------
"$wm_delete" "$window"
expect_exit "the close request"
echo "xvfb iconmaker test: passed"
