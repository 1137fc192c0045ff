#!/usr/bin/python3
"""Makes the DXF drawings under tests/data/dxf/ that the DXF tests import: one small truss drawn by
ezdxf (Debian's python3-ezdxf) as R12, R2000 and R2018 files, each mixed with the entities CAD drawings
carry besides lines, in different units and planes. Run it from anywhere with Debian's python3; the
files are committed, so the tests need neither ezdxf nor this script.

    /usr/bin/python3 scripts/make-dxf-test-data.py            # (re)writes tests/data/dxf/*.dxf
    /usr/bin/python3 scripts/make-dxf-test-data.py --check F  # reads F with ezdxf, audits it, lists it

The LibreCAD file (tests/data/dxf/truss_librecad.dxf) is the R2000 drawing, less its paper space, opened
in LibreCAD and saved by it; scripts/make-librecad-dxf.sh makes it under Xvfb, from the drawing that
`--librecad-input PATH` writes.
"""
import math
import pathlib
import sys

import ezdxf

HERE = pathlib.Path(__file__).resolve().parent.parent / "tests" / "data" / "dxf"

# The truss in metres: a 6 m span, 1.5 m deep, nine members in the order the tests expect them.
JOINTS = [(0, 0), (2, 0), (4, 0), (6, 0), (2, 1.5), (4, 1.5)]
MEMBERS = [(1, 2), (2, 3), (3, 4), (1, 5), (5, 6), (6, 4), (2, 5), (3, 6), (2, 6)]


def noisy(value, k):
    """The value as CAD arithmetic leaves it: rotated there and back, a few units in the last place off."""
    angle = 0.3 + 0.1 * k
    c, s = math.cos(angle), math.sin(angle)
    x, y = value * c, value * s
    return x * c + y * s


def add_truss(msp, scale, plane, offset=0.0, noise=False):
    for k, (i, j) in enumerate(MEMBERS):
        (x1, y1), (x2, y2) = JOINTS[i - 1], JOINTS[j - 1]
        pts = [x1 * scale, y1 * scale, x2 * scale, y2 * scale]
        if noise:
            pts = [noisy(v, k + n) for n, v in enumerate(pts)]
        a, b = (pts[0], pts[1]), (pts[2], pts[3])
        if plane == "xy":
            msp.add_line((a[0], a[1], 0), (b[0], b[1], 0))
        else:  # standing upright: the truss's Y along Z, at a constant Y
            msp.add_line((a[0], offset, a[1]), (b[0], offset, b[1]))


def r12():
    doc = ezdxf.new("R12")
    msp = doc.modelspace()
    add_truss(msp, 1.0, "xy")
    # A support symbol as a block of lines, placed twice: its lines are in BLOCKS, not members.
    block = doc.blocks.new(name="PIN")
    block.add_line((0, 0), (-0.2, -0.3))
    block.add_line((0, 0), (0.2, -0.3))
    block.add_line((-0.2, -0.3), (0.2, -0.3))
    msp.add_blockref("PIN", (0, 0))
    msp.add_blockref("PIN", (6, 0))
    msp.add_circle((3, 0.75), 0.1)
    msp.add_text("TRUSS T1").set_pos((0, -1))
    msp.add_polyline2d([(0, -2), (6, -2), (6, -2.5)])  # POLYLINE, VERTEX x3, SEQEND
    doc.saveas(HERE / "truss_r12.dxf")


def r2000(path=None, paper_space=True):
    doc = ezdxf.new("R2000", setup=True)
    doc.units = 4  # millimetres
    msp = doc.modelspace()
    add_truss(msp, 1000.0, "xy", noise=True)
    msp.add_lwpolyline([(0, -1000), (6000, -1000)])
    msp.add_mtext("Roof truss T1, 6000 span").set_location((0, -1500))
    dim = msp.add_linear_dim(base=(0, -800), p1=(0, 0), p2=(6000, 0))  # its lines live in a block
    dim.render()
    msp.add_arc((3000, 750), 100, 0, 180)
    # A title frame in paper space: a LINE, but not part of the model. (LibreCAD 2.2 has no paper
    # space and would move it into the model, so its copy is made without.)
    if paper_space:
        doc.layout("Layout1").add_line((0, 0), (297, 0))
    doc.saveas(path or HERE / "truss_r2000_mm.dxf")


def r2018():
    doc = ezdxf.new("R2018")
    doc.units = 5  # centimetres
    msp = doc.modelspace()
    add_truss(msp, 100.0, "xz", offset=250.0)
    msp.add_point((0, 250, 0))
    msp.add_ellipse((300, 250, 75), major_axis=(50, 0, 0), ratio=0.5)
    msp.add_spline([(0, 250, 0), (300, 250, 100), (600, 250, 0)])
    doc.saveas(HERE / "truss_r2018_xz_cm.dxf")


def check(path):
    doc = ezdxf.readfile(path)
    auditor = doc.audit()
    kinds = {}
    for entity in doc.modelspace():
        kinds[entity.dxftype()] = kinds.get(entity.dxftype(), 0) + 1
    print(f"{path}: DXF {doc.dxfversion}, $INSUNITS {doc.header.get('$INSUNITS', 'none')}, "
          f"model space {kinds}, audit: {len(auditor.errors)} errors, {len(auditor.fixes)} fixes")
    for error in auditor.errors:
        print("  error:", error.message)
    return not auditor.has_errors


def main():
    if len(sys.argv) > 1 and sys.argv[1] == "--check":
        sys.exit(0 if all([check(p) for p in sys.argv[2:]]) else 1)
    if len(sys.argv) > 2 and sys.argv[1] == "--librecad-input":
        r2000(pathlib.Path(sys.argv[2]), paper_space=False)
        return
    HERE.mkdir(parents=True, exist_ok=True)
    r12()
    r2000()
    r2018()
    for name in sorted(HERE.glob("truss_*.dxf")):
        check(name)


if __name__ == "__main__":
    main()
