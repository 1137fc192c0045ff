#!/usr/bin/env bash
# Makes tests/data/dxf/truss_librecad.dxf: the ezdxf R2000 drawing (scripts/make-dxf-test-data.py,
# without its paper space, which LibreCAD 2.2 would move into the model) opened in LibreCAD and saved by it as "Drawing Exchange DXF 2007", so the tests hold a file written
# by LibreCAD's own DXF writer. LibreCAD has no command to save a drawing, so this drives its window
# under Xvfb with xdotool (File > Save as..., at the places LibreCAD 2.2 puts them on a 1280x1024
# screen). Needs librecad, xvfb, xdotool; run by hand, not by the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
data="$PWD/tests/data/dxf"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
/usr/bin/python3 scripts/make-dxf-test-data.py --librecad-input "$work/in.dxf"
cat > "$work/drive.sh" <<SCRIPT
#!/usr/bin/env bash
export HOME="$work/home"; mkdir -p "\$HOME"
librecad "$work/in.dxf" > "$work/librecad.log" 2>&1 &
pid=\$!
sleep 10
# The first start asks for the default unit and language: take the defaults.
welcome=\$(xdotool search --name Welcome | head -1 || true)
if [ -n "\$welcome" ]; then xdotool windowfocus --sync "\$welcome"; xdotool key Return; fi
sleep 6
xdotool mousemove 68 42 click 1    # File
sleep 2
xdotool mousemove 113 178 click 1  # Save as...
sleep 3
xdotool type --delay 20 "$work/out.dxf"
xdotool key Return
sleep 4
kill \$pid
SCRIPT
chmod +x "$work/drive.sh"
xvfb-run -a -s "-screen 0 1280x1024x24" "$work/drive.sh"
if [ ! -s "$work/out.dxf" ]; then
    echo "make-librecad-dxf: LibreCAD did not save the drawing (see $work/librecad.log)" >&2
    exit 1
fi
cp "$work/out.dxf" "$data/truss_librecad.dxf"
echo "Wrote $data/truss_librecad.dxf"
