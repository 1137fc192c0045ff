#!/usr/bin/env bash
# Pictures of the desktop program as a user sees it: the real program in a real X display (Xvfb) with
# a window manager, driven by keystrokes, captured with ImageMagick. Usage:
#   scripts/screenshots.sh [OUTPUT_FOLDER] [PROJECT.sma]     (default: build/screenshots, the roof truss)
# Installs what it needs to drive and capture a display (Debian packages) when they are missing.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-build/screenshots}
project=${2:-examples/roof_truss.sma}
mkdir -p "$out"

source scripts/display-tools.sh

# One display for the whole session: the window manager, the program, then keystrokes and captures.
xvfb-run -a -s "-screen 0 1366x900x24" bash -s "$out" "$project" <<'SESSION'
set -euo pipefail
out=$1
project=$2
openbox &
sleep 1
build/release/src/gui/varlen "$project" &
program=$!
sleep 4   # past the splash picture
window=$(xdotool search --sync --name "^Varlen" | head -n 1)
xdotool windowactivate --sync "$window" 2>/dev/null
shot() { import -window root "$out/$1.png"; echo "$out/$1.png"; }
key() { xdotool key "$@"; sleep 1; }
shot 01-opened             # the Results Summary's member list, results columns empty
key F5
sleep 2
shot 02-analysed           # the summary filled, the status bar's figures
key alt+o Return f         # Output, Structural Analysis Output, Local Forces
shot 03-local-forces
key alt+o Down Down Right Return   # Output, Design Output, BS449
sleep 2
shot 04-design
key alt+s 2                # Structure, 2 Joints: an edit makes the results out of date
shot 05-joints
kill "$program"
wait "$program" 2>/dev/null || true
SESSION
