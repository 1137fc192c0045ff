#!/usr/bin/env bash
# Builds the Debian package and checks it from the installed files, not from the build tree:
#   scripts/package.sh [--install]
# Builds the release tree (scripts/build.sh: nothing to do after scripts/test.sh), makes
# build/release/varlen_<version>_<arch>.deb with cpack, and checks what it holds and what it declares.
# Then the package is unpacked into a scratch root (dpkg -x), or with --install installed on this
# machine with apt-get (its dependencies with it), and from there: varlen-cli --version, an analysis, a
# design and a Word report of the packaged roof-truss example, the desktop program drawing the truss into
# a PNG without a window, the desktop entry (desktop-file-validate) and the MIME type (well-formed, and read by
# update-mime-database into a scratch cache). Run as root or with sudo; installs what it needs.
set -euo pipefail
cd "$(dirname "$0")/.."
install=no
case "${1:-}" in
    --install) install=yes ;;
    "") ;;
    *) echo "usage: scripts/package.sh [--install]" >&2; exit 2 ;;
esac

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
scripts/install-deps.sh >/dev/null
scripts/build.sh

build=build/release
rm -f "$build"/varlen_*.deb
(cd "$build" && cpack -G DEB >cpack.log 2>&1) || { cat "$build/cpack.log" >&2; exit 1; }
deb=$(ls "$build"/varlen_*.deb)
echo "Built $deb ($(du -h "$deb" | cut -f1))"

fail() { echo "package: $*" >&2; exit 1; }

# What the package declares: every runtime library the programs load, as Debian's package for it.
depends=$(dpkg-deb --field "$deb" Depends)
echo "Depends: $depends"
for needed in libqt6widgets6 libqt6gui6 libqt6core6 libqt6printsupport6 libqt6svgwidgets6 libcholmod3 \
              libzip4 libopenblas0-pthread; do
    grep -q "\b$needed\b" <<<"$depends" || fail "Depends does not name $needed"
done

# What it holds: the two programs and their data, nothing of the tests or the benchmarks.
contents=$(dpkg-deb --contents "$deb" | awk '{print $6}' | grep -v '/$')
for file in ./usr/bin/varlen ./usr/bin/varlen-cli ./usr/share/applications/varlen.desktop \
            ./usr/share/icons/hicolor/scalable/apps/varlen.svg ./usr/share/mime/packages/varlen.xml \
            ./usr/share/doc/varlen/examples/roof_truss.sma; do
    grep -qx "$file" <<<"$contents" || fail "$file is not in the package"
done
extra=$(grep -v -e '^\./usr/bin/varlen\(-cli\)\?$' -e '^\./usr/share/' <<<"$contents" || true)
[ -z "$extra" ] || fail "unexpected files in the package: $extra"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
if [ "$install" = yes ]; then
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "$PWD/$deb" >/dev/null
    root=""
else
    dpkg -x "$deb" "$scratch/root"
    root="$scratch/root"
fi

# The installed programs find their libraries in the system's folders: no LD_LIBRARY_PATH.
cli="$root/usr/bin/varlen-cli"
"$cli" --version | grep -qx "varlen-cli $(dpkg-deb --field "$deb" Version)" || fail "varlen-cli --version: $("$cli" --version)"
mkdir "$scratch/work"
cp "$root/usr/share/doc/varlen/examples/roof_truss.sma" "$scratch/work/"
"$cli" analyse "$scratch/work/roof_truss.sma" --quiet --json "$scratch/work/roof.json" \
    || fail "varlen-cli analyse of the packaged roof truss failed"
grep -q '"axial_force"' "$scratch/work/roof.json" || fail "the analysis wrote no member forces"
[ -s "$scratch/work/roof_truss.txt" ] || fail "the analysis wrote no results file"
"$cli" design "$scratch/work/roof_truss.sma" >/dev/null || fail "varlen-cli design of the roof truss failed"
# The sparse solver and libzip are loaded at run time, not by the dynamic linker: a Word report shows
# that the installed program finds libzip as it finds CHOLMOD above.
"$cli" report "$scratch/work/roof_truss.sma" --docx "$scratch/work/roof.docx" \
    || fail "varlen-cli report --docx of the roof truss failed"
[ "$(head -c 2 "$scratch/work/roof.docx")" = PK ] || fail "the Word report is not a zip package"
QT_QPA_PLATFORM=offscreen "$root/usr/bin/varlen" --export-picture "$scratch/work/roof.png" --view forces \
    "$scratch/work/roof_truss.sma" 2>/dev/null || fail "varlen --export-picture failed"
[ "$(head -c 4 "$scratch/work/roof.png" | tail -c 3)" = PNG ] || fail "varlen drew no PNG"

# The desktop entry and the MIME type as the desktop reads them.
command -v desktop-file-validate >/dev/null || fail "desktop-file-validate is missing (desktop-file-utils)"
desktop-file-validate "$root/usr/share/applications/varlen.desktop"
grep -qx 'Exec=varlen %f' "$root/usr/share/applications/varlen.desktop" || fail "the desktop entry does not open a file"
xmllint --noout "$root/usr/share/mime/packages/varlen.xml"
mkdir -p "$scratch/mime/packages"
cp "$root/usr/share/mime/packages/varlen.xml" "$scratch/mime/packages/"
XDG_DATA_DIRS="$scratch:/usr/share" update-mime-database "$scratch/mime"
grep -q 'application/x-varlen-sma:\*\.sma' "$scratch/mime/globs2" || fail "update-mime-database did not take *.sma"
if [ "$install" = yes ]; then
    # dpkg's triggers rebuild the system's caches: a file manager now knows the type and its program.
    grep -q 'application/x-varlen-sma:\*\.sma' /usr/share/mime/globs2 || fail "the system's MIME cache lacks *.sma"
    grep -q 'application/x-varlen-sma=varlen.desktop' /usr/share/applications/mimeinfo.cache \
        || fail "the desktop database does not open .sma files in Varlen"
    echo "Installed $(dpkg-query -W -f='${Package} ${Version}' varlen); remove with: apt-get remove varlen"
fi
echo "Package checked: $deb"
