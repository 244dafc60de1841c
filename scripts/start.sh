#!/usr/bin/env bash
# Installs what is missing, builds and installs the suite, then starts banrei
# as the desktop menu does: in ~/.local/share/banrei (or $XDG_DATA_HOME/banrei),
# where it writes its game record banrei.csa, with the settings files
# installed to /usr/share/banrei.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default
cmake --install build

echo "start: banrei keeps its record in ${XDG_DATA_HOME:-$HOME/.local/share}/banrei/banrei.csa"
exec banrei-desktop
