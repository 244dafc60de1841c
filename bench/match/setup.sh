#!/usr/bin/env bash
# Installs the match tool's one outside opponent, GNU Shogi, from Debian.
# Only the match tool needs it; the build and the tests do not.
set -euo pipefail
if [ ! -x /usr/games/gnushogi ]; then
    apt-get update
    apt-get install -y gnushogi
fi
