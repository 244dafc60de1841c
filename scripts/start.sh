#!/usr/bin/env bash
# Installs what is missing, builds and installs the suite, then starts banrei
# in a fresh working directory (where it writes banrei.csa), using the settings
# files installed to /usr/share/banrei.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default
cmake --install build

if ! command -v banrei >/dev/null; then
  echo "start: banrei is not built yet; the libraries that exist were built and tested by scripts/test.sh."
  exit 0
fi
workdir=${BANREI_HOME:-$HOME/banrei}
mkdir -p "$workdir"
cd "$workdir"
exec banrei
