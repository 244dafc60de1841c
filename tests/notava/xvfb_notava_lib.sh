# Frame of notava's real-window tests, on top of ../xvfb_lib.sh: source it
# with the program and the sample pair as arguments; it starts Xvfb.

viewer=$(realpath "$1")
sample=$(realpath "$2")
source "$(dirname "${BASH_SOURCE[0]}")/../xvfb_lib.sh"
start_xvfb
export XDG_CONFIG_HOME="$work/config"  # the recent pairs go here, not to the user's

visible() { xdotool search --onlyvisible --name "$1" | head -1; }
focus() {
    point_and_focus "$1" || fail "window $1 does not take the keyboard focus"
    sleep 0.2
}
# Screenshot $1.png, kept in $NOTAVA_SHOTS too when it names a folder.
shot() {
    import -window root "$work/$1.png"
    if [[ -n "${NOTAVA_SHOTS:-}" ]]; then cp "$work/$1.png" "$NOTAVA_SHOTS/"; fi
}
# Chooses a menu item by its mnemonics: menu_item WINDOW MENU_KEY ITEM_KEY.
menu_item() {
    focus "$1"
    xdotool key "alt+$2"
    sleep 0.3
    xdotool key "$3"
}
