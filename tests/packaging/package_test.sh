#!/usr/bin/env bash
# The Debian package of the suite, made by CPack from this build tree as
# scripts/package.sh makes it: control data and dependencies, the exact file
# list, the desktop entries, icons, AppStream descriptions and manual pages in
# it, and lintian's verdict (no error, no warning).
# Usage: package_test.sh <build dir> <version>
set -uo pipefail
build=$1 version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

PROGRAMS=(banrei notava iconmaker)
ICON_SIZES=(16 22 24 32 48 64 128 256)

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

for tool in cpack dpkg-deb dpkg-parsechangelog lintian desktop-file-validate appstreamcli man file; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing; run scripts/setup.sh"; exit 1; }
done

# --- build and unpack
if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    echo "FAIL: cpack"
    exit 1
fi
debs=("$work"/out/*.deb)
[[ ${#debs[@]} -eq 1 && -f ${debs[0]} ]] || { echo "FAIL: expected one package, got: ${debs[*]}"; exit 1; }
deb=${debs[0]}
dpkg -x "$deb" "$work/root"
root=$work/root

# --- control data: name, version, architecture, dependencies from the binaries and the fonts
field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == zentrio-suite ]] || fail "package name $(field Package)"
[[ $(field Version) == "$version" ]] || fail "version $(field Version), project $version"
[[ $(field Architecture) == "$(dpkg --print-architecture)" ]] || fail "architecture $(field Architecture)"
[[ -n $(field Maintainer) && $(field Description | wc -l) -gt 3 ]] || fail "maintainer or long description missing"
depends=$(field Depends)
sed 's/ ([^)]*)//g; s/, /\n/g' <<<"$depends" >"$work/depends"
for needed in fonts-ipafont-gothic libqt6widgets6 libqt6gui6 libqt6core6 libfreetype6 libfontconfig1 libstdc++6 libc6; do
    grep -qxF "$needed" "$work/depends" || fail "Depends lacks $needed: $depends"
done

# --- exactly the files users should get, and nothing else (no libraries, tests or build leftovers)
expected=(
    usr/bin/banrei usr/bin/banrei-desktop usr/bin/notava usr/bin/iconmaker
    usr/share/banrei/sente.ini usr/share/banrei/gote.ini
    usr/share/banrei/styles/quick.ini usr/share/banrei/styles/ranging-rook.ini
    usr/share/banrei/styles/static-rook.ini usr/share/banrei/styles/gentle.ini
    usr/share/banrei/styles/level1.ini usr/share/banrei/styles/level2.ini usr/share/banrei/styles/level3.ini
    usr/share/banrei/styles/level4.ini usr/share/banrei/styles/level5.ini
    usr/share/notava/sample.idx usr/share/notava/sample.dat usr/share/notava/sample.tsv
    usr/share/iconmaker/sample.bmp
    usr/share/doc/zentrio-suite/copyright usr/share/doc/zentrio-suite/changelog.gz
    usr/share/man/man6/banrei.6.gz usr/share/man/man6/banrei-desktop.6.gz
    usr/share/man/man1/notava.1.gz usr/share/man/man1/iconmaker.1.gz
)
for program in "${PROGRAMS[@]}"; do
    expected+=("usr/share/applications/$program.desktop"
               "usr/share/metainfo/org.zentrio.$program.metainfo.xml"
               "usr/share/icons/hicolor/scalable/apps/$program.svg")
    for size in "${ICON_SIZES[@]}"; do
        expected+=("usr/share/icons/hicolor/${size}x$size/apps/$program.png")
    done
done
printf '%s\n' "${expected[@]}" | sort >"$work/expected"
(cd "$root" && find . \( -type f -o -type l \) -printf '%P\n' | sort) >"$work/actual"
diff "$work/expected" "$work/actual" >"$work/list.diff" ||
    fail "file list differs (< missing, > unexpected):$(printf '\n%s' "$(grep '^[<>]' "$work/list.diff")")"
while read -r link; do
    [[ -e $root/$link ]] || fail "$link points nowhere"
done < <(cd "$root" && find . -type l -printf '%P\n')
[[ -x $root/usr/bin/banrei-desktop ]] || fail "banrei-desktop is not executable"

# --- desktop entries: valid, their command and icon in the package
for program in "${PROGRAMS[@]}"; do
    entry=$root/usr/share/applications/$program.desktop
    [[ -f $entry ]] || continue
    desktop-file-validate "$entry" >"$work/validate" 2>&1 || fail "$program.desktop: $(cat "$work/validate")"
    command=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
    [[ -x $root/usr/bin/$command ]] || fail "$program.desktop starts '$command', which the package lacks"
    icon=$(sed -n 's/^Icon=//p' "$entry")
    for size in "${ICON_SIZES[@]}"; do
        png=$root/usr/share/icons/hicolor/${size}x$size/apps/$icon.png
        [[ -f $png ]] || continue
        file -b "$png" | grep -q "^PNG image data, $size x $size," || fail "$png is $(file -b "$png")"
    done
done
grep -qx 'Categories=Game;BoardGame;' "$root/usr/share/applications/banrei.desktop" ||
    fail "banrei.desktop is not in Game / BoardGame"

# --- AppStream: valid offline, naming the desktop entry and the programs of the package
for program in "${PROGRAMS[@]}"; do
    metainfo=$root/usr/share/metainfo/org.zentrio.$program.metainfo.xml
    [[ -f $metainfo ]] || continue
    appstreamcli validate --no-net "$metainfo" >"$work/validate" 2>&1 || fail "$program metainfo: $(cat "$work/validate")"
    grep -q "<launchable type=\"desktop-id\">$program.desktop</launchable>" "$metainfo" ||
        fail "$program metainfo does not launch $program.desktop"
    while read -r binary; do
        [[ -x $root/usr/bin/$binary ]] || fail "$program metainfo provides '$binary', which the package lacks"
    done < <(sed -n 's/.*<binary>\(.*\)<\/binary>.*/\1/p' "$metainfo")
    newest=$(grep -m1 -o '<release version="[^"]*"' "$metainfo" | cut -d'"' -f2)
    [[ $newest == "$version" ]] || fail "$program metainfo's newest release is $newest, the package $version"
done
gzip -dc "$root/usr/share/doc/zentrio-suite/changelog.gz" >"$work/changelog"
changelog_version=$(dpkg-parsechangelog -l "$work/changelog" -S Version)
[[ $changelog_version == "$version" ]] || fail "changelog's newest entry is $changelog_version, the package $version"

# --- manual pages: render without a warning; banrei's names its files and where they are looked up
for page in "$root"/usr/share/man/man*/*.gz; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
    [[ -z $warnings ]] || fail "$(basename "$page"): $warnings"
done
banrei_page=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -E UTF-8 -l "$root/usr/share/man/man6/banrei.6.gz" 2>/dev/null)
for mentioned in sente.ini gote.ini /usr/share/banrei banrei.csa XDG_DATA_HOME .local/share/banrei; do
    grep -qF "$mentioned" <<<"$banrei_page" || fail "banrei's manual page does not mention $mentioned"
done

# --- lintian: errors and warnings fail; infos are shown
if ! lintian --fail-on error,warning --display-info --tag-display-limit 0 "$deb" >"$work/lintian" 2>&1; then
    fail "lintian:$(printf '\n%s' "$(grep -v 'root privileges' "$work/lintian")")"
fi
grep -E '^[EWIP]:' "$work/lintian"

if ((failures)); then
    echo "$failures failures"
    exit 1
fi
echo "package $(basename "$deb"): $(wc -l <"$work/actual") files, all checks passed"
