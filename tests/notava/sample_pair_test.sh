#!/usr/bin/env bash
# The sample pair in data/notava is exactly what notava_mkpair writes from
# sample.tsv, so the description and the shipped files never drift apart.
# Usage: sample_pair_test.sh path/to/notava_mkpair path/to/data/notava
set -euo pipefail
mkpair=$1
data=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$mkpair" "$data/sample.tsv" "$work/sample"
cmp "$work/sample.idx" "$data/sample.idx"
cmp "$work/sample.dat" "$data/sample.dat"
entries=$(( $(stat -c %s "$data/sample.idx") / 16 - 1 ))
[[ $entries -eq $(grep -cv -e '^#' -e '^$' "$data/sample.tsv") ]] || { echo "FAIL: $entries entries"; exit 1; }

# Broken descriptions are refused with the line that is wrong, and write nothing.
printf '20000401\t20000401\t0\tA\t0\ta\tb\n' >"$work/short.tsv"
if "$mkpair" "$work/short.tsv" "$work/short" 2>"$work/err"; then echo "FAIL: 7 fields accepted"; exit 1; fi
grep -q 'short.tsv:1: expected 8' "$work/err" || { echo "FAIL: message: $(cat "$work/err")"; exit 1; }
[[ ! -e "$work/short.idx" ]] || { echo "FAIL: files written"; exit 1; }
printf '20000401\t20000401\t0\tA\t0\ta\tb\t한\n' >"$work/korean.tsv"
if "$mkpair" "$work/korean.tsv" "$work/korean" 2>/dev/null; then echo "FAIL: non-Shift-JIS accepted"; exit 1; fi
echo "sample pair test: passed"
