#!/usr/bin/env bash
# The pictures of the user guide (docs/guide.md): the real desktop program in a real X display (Xvfb)
# with a window manager, driven with xdotool as a user would, from an empty project to the reports, and
# captured with ImageMagick. Usage:
#   scripts/guide-screenshots.sh [OUTPUT_FOLDER]     (default: docs/images)
# The clicks go to where the windows open on a 1366x900 screen with Debian's default fonts; after a
# change to a window's layout, run this again and look at every picture before committing it.
# Installs what it needs to drive and capture a display (Debian packages) when they are missing.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-docs/images}")
mkdir -p "$out"

source scripts/display-tools.sh

# A fixed folder, since the window's title shows the project's path.
work=/tmp/varlen-guide
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
# A settings folder and a temporary folder of its own, so that no user's settings show in the pictures.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" TMPDIR="$work/tmp"
mkdir -p "$HOME" "$TMPDIR"

xvfb-run -a -s "-screen 0 1366x900x24" bash -s "$out" "$work" <<'SESSION'
set -euo pipefail
out=$1
work=$2
openbox &
sleep 1
build/release/src/gui/varlen &
program=$!
sleep 4
xdotool windowactivate --sync "$(xdotool search --sync --name "^Varlen" | head -n 1)" 2>/dev/null

# shot NAME [WxH+X+Y]: the screen, or the part of it given, at most 1000 pixels wide, in 256 colours.
shot() {
    sleep 0.5
    import -window root "$work/screen.png"
    convert "$work/screen.png" ${2:+-crop "$2" +repage} -resize '1000x>' +dither -colors 256 -strip "PNG8:$out/$1.png"
    echo "$out/$1.png"
}
key() { xdotool key "$@"; sleep 0.6; }
click() { xdotool mousemove "$1" "$2" click 1; sleep 0.4; }
# A text box: click into it, select what it holds and type over it.
type_in() { click "$1" "$2"; xdotool key ctrl+a; xdotool type --delay 15 -- "$3"; }
# A drop-down list: open it, find the entry by its first characters, take it.
choose() { click "$1" "$2"; xdotool type --delay 60 -- "$3"; xdotool key Return; sleep 0.3; }
structure() { key alt+s; key "$1"; sleep 0.4; }

# 1. The title block.
structure 1
type_in 256 82 "Workshop mezzanine"
type_in 256 110 "Warren truss 6 m span"
type_in 256 138 "A Engineer"
click 256 166                  # the date box opens the calendar on today
sleep 0.8
click 168 528                  # Done
type_in 256 194 "VAR/001"
shot 01-title 700x320+0+0
click 379 261                  # Ok

# 2. Joints: a pin at the left, a roller at the right, three joints between.
structure 2
joint() {   # X Y description [x: fixed along X] [y: fixed along Y] [restraint description]
    type_in 210 129 "$1"
    type_in 210 157 "$2"
    type_in 210 185 "$3"
    if [ "${4:-}" = x ]; then click 20 231; fi
    if [ "${5:-}" = y ]; then click 20 257; fi
    if [ -n "${6:-}" ]; then type_in 210 284 "$6"; fi
    click 318 189              # Add >
}
joint 0 0 "Bearing A" x y "Pinned"
joint 3 0 "Mid span"
joint 6 0 "Bearing B" "" y "Roller"
joint 1.5 1.5 "Top chord left"
joint 4.5 1.5 "Top chord right"
shot 02-joints 960x450+0+38
click 318 460                  # Done

# 3. The material.
structure 3
type_in 256 109 "205"
type_in 256 137 "Steel S275"
click 364 193
shot 03-material 760x460+0+38
click 364 471

# 4. The cross-section, from the square hollow sections of the catalogue.
structure 4
choose 257 404 " 65 x  65 x 4.0"
shot 04-section-catalogue 1010x570+0+38
click 547 229
click 547 581

# 5. Members: the bottom chord, the top chord and the diagonals, all of material 1 and section 1.
structure 5
member() {   # joint i, joint j, description
    choose 202 109 "$1"
    choose 202 137 "$2"
    type_in 202 221 "$3"
    click 456 180
}
member 1 2 "Bottom chord"
member 2 3 "Bottom chord"
member 4 5 "Top chord"
member 1 4 "Diagonal"
member 4 2 "Diagonal"
member 2 5 "Diagonal"
member 5 3 "Diagonal"
shot 05-members 980x420+0+38
click 456 434

# 6. Joint loads: 20 kN down at each top-chord joint, and 5 kN of wind along X at the left one.
key alt+s; key 6; key Return
load() {   # joint Fx Fy description (the first case's: the load case list above is left alone)
    choose 212 109 "$1"
    type_in 212 208 "$2"
    type_in 212 287 "$3"
    type_in 212 315 "$4"
    click 320 189
}
load 4 5 -20 "Roof and wind"
load 5 0 -20 "Roof"
shot 06-joint-loads 720x450+0+38
click 320 460

# 7. Saved, opened again (the picture above, the Results Summary below) and analysed.
key ctrl+s
sleep 1
xdotool type --delay 15 "$work/mezzanine.sma"
key Return
sleep 1
key ctrl+o
sleep 1
xdotool type --delay 15 "$work/mezzanine.sma"
key Return
sleep 2
key F5
sleep 2
shot 07-analysed

# 8. The picture's own Diagram menu: the deflected shape, then the axial forces.
click 74 70
shot 08-diagram-menu 700x300+0+0
click 122 247                 # Deflected Shape
shot 09-deflected 1366x340+0+38
click 74 70
click 108 269                 # Axial Forces
shot 10-axial-forces 1366x340+0+38

# 9. Output > Design Output > BS449.
key alt+o; key d; key Return
sleep 2
shot 11-design 980x680+0+88
click 922 739                 # Done

# 10. File > Print Using > Text Report: the Print Options window.
key alt+f; key p; key t
sleep 1
click 19 216                  # Loading ticked as well
shot 12-print-options 440x255+0+38
click 383 274                 # Done

# 11. File > Export > DXF (X,Y).
key alt+f; key e
shot 13-export-menu 560x330+0+0
key Return
sleep 1
shot 14-dxf-exported

# 12. The roof truss example's load cases, the forces of one combination and the design for them all.
key ctrl+o
sleep 1
xdotool type --delay 15 "$PWD/examples/roof_truss.sma"
key Return
sleep 2
key alt+s; key 6; key c
sleep 1
shot 15-load-cases 1060x520+0+38
click 1002 529                # Done
key F5
sleep 2
click 80 95                   # the picture's case and combination list
key Down Down Down Down Return
click 74 70
click 108 269                 # Axial Forces
shot 16-combination-forces 1366x340+0+38
key alt+o; key d; key Return
sleep 2
shot 17-design-envelope 980x680+0+88
kill "$program"
wait "$program" 2>/dev/null || true
SESSION
