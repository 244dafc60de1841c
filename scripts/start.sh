#!/usr/bin/env bash
# Installs what is missing, builds and installs the suite, then starts banrei
# in its own working directory (where it writes its game record banrei.csa),
# using the settings files installed to /usr/share/banrei.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default
cmake --install build

workdir=${BANREI_HOME:-$HOME/banrei}
mkdir -p "$workdir"
cd "$workdir"
echo "start: banrei plays in $workdir; its record is $workdir/banrei.csa"
exec banrei
