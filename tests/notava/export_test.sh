#!/usr/bin/env bash
# `notava --export` without a display: the sample pair and a generated pair of
# 254 entries (texts up to 255 bytes, commas, quotes, backslashes, semicolons,
# line breaks) read back with Python's icalendar and csv modules, entry for
# entry; the same file exported twice is the same; and every bad path gives a
# message naming it and a non-zero exit.
# Usage: export_test.sh path/to/notava path/to/notava_mkpair path/to/data/notava
set -euo pipefail
notava=$1 mkpair=$2 data=$3
here=$(dirname "$0")
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
# Debian's own Python, which python3-icalendar serves (a python3 earlier in
# PATH may be another installation without it).
python=/usr/bin/python3
[[ -x $python ]] || python=python3
unset DISPLAY WAYLAND_DISPLAY
export QT_QPA_PLATFORM=none-such  # a window would fail here: export must need none

$python - "$work/full.tsv" <<'PY'
import random, sys
random.seed(254)
# One backslash, never before an n: Debian's icalendar 4.0.3 unescapes twice
# (an escaped backslash before an n, \\n in the file, comes back as a line break);
# the escaping itself is tested in C++.
words = ["会議", "ﾃｽﾄ", "報告書", "a,b", 'say "hi"', "back\\slash", "semi;colon", "line\\nbreak", "x" * 40, "全角テキスト"]
with open(sys.argv[1], "w", encoding="utf-8") as out:
    for i in range(254):
        def text(limit):
            t = ""
            while len(t.encode("cp932")) < limit and random.random() < 0.8:
                t += random.choice(words)
            while len(t.replace("\\n", "\r\n").encode("cp932")) > limit:
                t = t[:-1]
            return t.rstrip("\\")
        due = f"{random.randint(1990, 2030):04d}{random.randint(1, 12):02d}{random.randint(1, 28):02d}"
        entered = f"{random.randint(1990, 2030):04d}{random.randint(1, 12):02d}{random.randint(1, 28):02d}"
        content = "長" * 127 if i == 0 else text(255)
        out.write("\t".join([due, entered, random.choice("01"), random.choice("ABC"), random.choice("01"),
                             text(40), text(40), content]) + "\n")
PY
"$mkpair" "$work/full.tsv" "$work/full"

for pair in "$data/sample" "$work/full"; do
    tsv="$pair.tsv"
    for format in ics csv; do
        out="$work/$(basename "$pair").$format"
        "$notava" --export "$pair.idx" "$out" >"$work/said" || fail "export of $pair to $format failed"
        grep -q "written to $out" "$work/said" || fail "no report line: $(cat "$work/said")"
        $python "$here/check_export.py" "$tsv" "$out"
    done
done
"$notava" --export "$work/full.dat" "$work/again.ics" >/dev/null
cmp "$work/full.ics" "$work/again.ics" || fail "a second export differs (UIDs must be stable)"
"$notava" --export "$work/full.idx" "$work/UPPER.ICS" >/dev/null || fail "an extension in capitals is refused"

# Bad input: a message naming the path, status 1 (2 for a wrong command line).
expect_refused() {  # status pattern args...
    local status=$1 pattern=$2; shift 2
    set +e; "$notava" "$@" >"$work/out" 2>"$work/err"; local got=$?; set -e
    [[ $got -eq $status ]] || fail "notava $*: status $got, wanted $status"
    grep -q -- "$pattern" "$work/err" || fail "notava $*: message '$(cat "$work/err")' lacks '$pattern'"
}
mkdir "$work/folder" "$work/locked"
cp "$work/full.idx" "$work/lonely.idx"
cp "$work/full.idx" "$work/secret.idx"; cp "$work/full.dat" "$work/secret.dat"; chmod 000 "$work/secret.dat"
chmod 555 "$work/locked"
root=$([[ $(id -u) -eq 0 ]] && echo yes || echo no)  # root writes and reads anyway
expect_refused 1 "$work/missing.idx" --export "$work/missing.idx" "$work/x.ics"
expect_refused 1 "$work/lonely.dat" --export "$work/lonely.idx" "$work/x.ics"
expect_refused 1 "$work/folder\" is a folder" --export "$work/folder" "$work/x.ics"
expect_refused 1 "$work/folder\" is a folder" --export "$work/full.idx" "$work/folder"
expect_refused 1 "must end in .ics" --export "$work/full.idx" "$work/x.txt"
[[ $root == yes ]] || expect_refused 1 "$work/locked/x.ics" --export "$work/full.idx" "$work/locked/x.ics"
expect_refused 1 "/proc/x.ics" --export "$work/full.idx" /proc/x.ics
[[ $root == yes ]] || expect_refused 1 "$work/secret.dat" --export "$work/secret.idx" "$work/x.ics"
expect_refused 2 "needs a ToDo file and an output file" --export "$work/full.idx"
expect_refused 2 "unknown option '--bogus'" --export "$work/full.idx" "$work/x.ics" --bogus
[[ ! -e "$work/x.ics" && -z "$(ls -A "$work/locked")" ]] || fail "a refused export wrote a file"

"$notava" --help >"$work/help" || fail "--help failed"
grep -q -- "--export FILE OUT" "$work/help" || fail "--help does not describe --export"
echo "export test: passed"
