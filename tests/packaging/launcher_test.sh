#!/usr/bin/env bash
# banrei-desktop, the desktop menu's way into the game: it must run banrei in
# the per-user directory that the XDG rules name, creating it, so the record
# never lands wherever the desktop starts programs; and refuse clearly when it
# cannot. A stand-in for banrei on PATH reports where and as what it ran.
# Usage: launcher_test.sh <banrei-desktop>
set -uo pipefail
launcher=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir "$work/bin"
cat >"$work/bin/banrei" <<'GAME'
#!/bin/sh
# Where it runs, as which process, and a record written as the game writes it.
echo "$$ $(pwd -P)" >"$GAME_REPORT"
echo "'Players" >banrei.csa
exit 7
GAME
chmod +x "$work/bin/banrei"

passed=0 failed=0
case_name="" case_ok=1
start_case() { case_name=$1 case_ok=1; }
check() {  # check <description> <command...>: one condition of the current case
    local what=$1
    shift
    "$@" && return 0
    echo "FAIL [$case_name]: $what"
    case_ok=0
    return 1
}
end_case() { if ((case_ok)); then passed=$((passed + 1)); else failed=$((failed + 1)); fi; }

# run_launcher <home or -> <XDG_DATA_HOME or -> : "-" leaves the variable unset.
# Runs in a directory of its own, with nothing else in the environment.
run_launcher() {
    local home=$1 data_home=$2 env_args=(PATH="$work/bin:/usr/bin:/bin" GAME_REPORT="$work/report")
    [[ $home == - ]] || env_args+=(HOME="$home")
    [[ $data_home == - ]] || env_args+=(XDG_DATA_HOME="$data_home")
    rm -f "$work/report"
    rm -rf "$work/start" && mkdir "$work/start"
    (cd "$work/start" && exec env -i "${env_args[@]}" "$launcher" 2>"$work/stderr") &
    launched=$!
    wait "$launched"
    status=$?
}

# Cases that start the game: name | HOME | XDG_DATA_HOME | the game's directory.
while IFS='|' read -r name home data_home expected; do
    [[ -n $name ]] || continue
    start_case "$name"
    existed=no
    [[ -d $expected ]] && existed=yes
    run_launcher "$home" "$data_home"
    check "exit status of the game passed on (got $status)" test "$status" -eq 7
    if check "the game ran" test -s "$work/report"; then
        read -r pid dir <"$work/report"
        check "ran in '$dir', not in '$expected'" test "$dir" = "$(realpath -m "$expected")"
        check "the launcher gave its process to the game" test "$pid" -eq "$launched"
    fi
    check "record written in the game's directory" test -f "$expected/banrei.csa"
    check "nothing left in the starting directory" test -z "$(ls -A "$work/start")"
    if [[ $existed == no ]]; then
        check "new directory private to the user" test "$(stat -c %a "$expected" 2>&1)" = 700
    fi
    end_case
done <<CASES
XDG_DATA_HOME unset|$work/h1|-|$work/h1/.local/share/banrei
XDG_DATA_HOME absolute|$work/h2|$work/xdg|$work/xdg/banrei
XDG_DATA_HOME empty|$work/h3||$work/h3/.local/share/banrei
XDG_DATA_HOME relative|$work/h4|relative/share|$work/h4/.local/share/banrei
spaces and a quote in the path|$work/my home's|-|$work/my home's/.local/share/banrei
HOME unset but XDG_DATA_HOME absolute|-|$work/x5|$work/x5/banrei
CASES

# A second start finds the user's own settings where they were.
start_case "second start"
mkdir -p "$work/h6/.local/share/banrei"
echo "DEPTH_MAX: 2" >"$work/h6/.local/share/banrei/sente.ini"
run_launcher "$work/h6" -
check "the game ran" test -s "$work/report"
check "the user's settings kept" grep -qx "DEPTH_MAX: 2" "$work/h6/.local/share/banrei/sente.ini"
end_case

# Cases that must not start the game: name | HOME | XDG_DATA_HOME | words of the message.
touch "$work/a-file"
while IFS='|' read -r name home data_home message; do
    [[ -n $name ]] || continue
    start_case "$name"
    run_launcher "$home" "$data_home"
    check "exit status 1 (got $status)" test "$status" -eq 1
    check "the game must not run" test ! -e "$work/report"
    check "message '$message' (got: $(cat "$work/stderr"))" grep -qF "$message" "$work/stderr"
    end_case
done <<CASES
neither HOME nor XDG_DATA_HOME|-|-|HOME is not set
directory cannot be made|$work/h7|$work/a-file|cannot create $work/a-file/banrei
CASES

echo "$passed passed, $failed failed"
((failed == 0))
