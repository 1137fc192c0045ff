#!/usr/bin/env bash
# Makes the text and word reports of every example with varlen-cli, converts each .docx to PDF with
# LibreOffice and renders its pages as PNGs to be looked at: the check that the documents open cleanly
# in a real word processor, which the unit tests cannot make. Not run in CI (LibreOffice is large).
#   scripts/check-reports.sh [BUILD_DIR] [OUT_DIR]     (defaults: build/release, build/report-check)
# Needs: apt-get install libreoffice-writer-nogui poppler-utils
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
out=${2:-build/report-check}
cli="$build/src/cli/varlen-cli"
for tool in libreoffice pdftoppm pdfinfo; do
    command -v "$tool" >/dev/null || { echo "check-reports: $tool is missing (libreoffice-writer-nogui, poppler-utils)" >&2; exit 2; }
done
[ -x "$cli" ] || { echo "check-reports: no $cli; build varlen-cli first" >&2; exit 2; }
mkdir -p "$out"
# A profile of its own, so that a running LibreOffice or a user's settings play no part.
profile="$(mktemp -d)"
trap 'rm -rf "$profile"' EXIT
status=0
for project in examples/*.sma; do
    name=$(basename "$project" .sma)
    "$cli" report "$project" --text "$out/$name.txt" >/dev/null
    "$cli" report "$project" --docx "$out/$name.docx" >/dev/null
    log="$out/$name.convert.log"
    libreoffice -env:UserInstallation="file://$profile" --headless --convert-to pdf --outdir "$out" \
        "$out/$name.docx" >"$log" 2>&1 || true
    # javaldx's warning is about Java, which Writer does not need here; anything else is a complaint.
    if [ ! -s "$out/$name.pdf" ] || grep -v -e "javaldx" -e "^convert " "$log" | grep -q .; then
        echo "$name: LibreOffice complained:" >&2
        cat "$log" >&2
        status=1
        continue
    fi
    rm -f "$out/$name"-*.png
    pdftoppm -png -r 60 "$out/$name.pdf" "$out/$name"
    echo "$name: $(pdfinfo "$out/$name.pdf" | sed -n 's/^Pages: *//p') pages -> $out/$name-*.png"
done
exit $status
