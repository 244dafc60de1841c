#!/usr/bin/env bash
# Renders each program's drawing (data/<program>/icons/<program>.svg) into the
# PNG sizes of the hicolor icon theme, next to it. Run by hand after changing a
# drawing and commit the PNGs: the build and the package only copy them.
# Needs rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/.."

# Keep in step with ZENTRIO_ICON_SIZES in data/desktop_files.cmake.
SIZES=(16 22 24 32 48 64 128 256)
PROGRAMS=(banrei notava iconmaker)

command -v rsvg-convert >/dev/null || { echo "render-icons: rsvg-convert missing (apt-get install librsvg2-bin)" >&2; exit 1; }
for program in "${PROGRAMS[@]}"; do
  dir=data/$program/icons
  for size in "${SIZES[@]}"; do
    rsvg-convert --width "$size" --height "$size" "$dir/$program.svg" --output "$dir/$program-$size.png"
  done
  echo "render-icons: $program: ${SIZES[*]}"
done
