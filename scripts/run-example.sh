#!/usr/bin/env bash
# Installs what is missing, builds, and opens the bundled roof truss: in the desktop program when a
# display is available, otherwise by analysing it with varlen-cli and printing the results.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec build/release/src/gui/varlen examples/roof_truss.sma
fi
build/release/src/cli/varlen-cli analyse examples/roof_truss.sma --results build/roof_truss.txt
