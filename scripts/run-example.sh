#!/usr/bin/env bash
# Installs what is missing, builds, and analyses the bundled roof truss example.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
build/release/src/cli/varlen-cli analyse examples/roof_truss.sma --results build/roof_truss.txt
