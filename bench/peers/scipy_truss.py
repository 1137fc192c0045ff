#!/usr/bin/python3
"""A plane truss solved the plain way with numpy and scipy, as a yardstick for varlen-cli's times.

Usage: bench/peers/scipy_truss.py FILE.sma OUT.txt

It reads the project file itself, assembles the global stiffness matrix with vectorised numpy into a
scipy.sparse COO matrix (duplicates summed on the way to CSC), removes the restrained degrees of freedom,
solves with scipy.sparse.linalg.spsolve as it comes (SuperLU with its default COLAMD ordering when
scikit-umfpack is absent, as on Debian), and writes the joint displacements, the member axial forces and
the reactions to OUT.txt.

Units are those of the file: co-ordinates in mm, Young's modulus in kN/mm^2, areas in mm^2, loads in kN;
so displacements come out in mm and forces in kN. Axial forces are positive in tension.

Checked with bench/peers/compare_with_varlen.py (--reference) against varlen-cli's --json output, on
the 32 x 32 lattice and the 1,816-joint girder from build/release/bench/generate_truss. On the lattice
every displacement, axial force and reaction agreed within 1e-12 of the largest of its kind. The girder
(907 panels, 2 m deep and 1.8 km long) is so ill-conditioned that one plain spsolve keeps only six
digits: its displacements and forces are 4e-6 from varlen's, while varlen's are 2e-12 (displacements)
and 8e-10 (axial forces) from a solution refined with residuals in long double. The comparison's
largest differences are relative to the largest value of each kind.

What the benchmark's files do not hold is not handled: anything after the joint loads is not read, a
self-weight written into a section's description is ignored, and a mechanism is not diagnosed beyond
what spsolve says about a singular matrix.
"""

import sys

import numpy as np
import scipy.sparse
import scipy.sparse.linalg


def read_sma(path):
    """The joints, restraints, loads and members of a project file: co-ordinates (n x 2), a restrained
    flag and a load per degree of freedom (2n, x before y), each member's two joints (0-based) and its
    Young's modulus and area.

    The file is five quoted title lines, then six sections, each a count line and that many records:
    joints (X, Y), supports (joint, restraint X, restraint Y: 1 restrains), materials (E),
    cross-sections (A), members (joint i, joint j, material, section) and joint loads (joint, Fx, Fy).
    Every record ends with a quoted text field, which may itself hold commas, so each line is split only
    as far as its numbers go. Joints, materials and sections are referred to by 1-based row number.
    """
    with open(path, encoding="latin-1") as f:
        lines = f.read().splitlines()
    pos = 5  # past the title block

    def section(numbers):
        nonlocal pos
        count = int(lines[pos])
        rows = lines[pos + 1 : pos + 1 + count]
        pos += 1 + count
        table = np.array([row.split(",", numbers)[:numbers] for row in rows], dtype=float)
        return table.reshape(count, numbers)

    xy = section(2)
    supports = section(3)
    youngs = section(1)[:, 0]
    areas = section(1)[:, 0]
    members = section(4)
    loads = section(3)

    n = len(xy)
    fixed = np.zeros(2 * n, dtype=bool)
    # A line naming joint 0 stands for a joint row that was never filled in.
    supports = supports[supports[:, 0] != 0]
    joint = supports[:, 0].astype(int) - 1
    fixed[2 * joint] = supports[:, 1] == 1
    fixed[2 * joint + 1] = supports[:, 2] == 1

    force = np.zeros(2 * n)
    joint = loads[:, 0].astype(int) - 1
    np.add.at(force, 2 * joint, loads[:, 1])
    np.add.at(force, 2 * joint + 1, loads[:, 2])

    ends = members[:, :2].astype(int) - 1
    e = youngs[members[:, 2].astype(int) - 1]
    a = areas[members[:, 3].astype(int) - 1]
    return xy, fixed, force, ends, e, a


def solve(xy, fixed, force, ends, ea):
    """Displacements, axial forces and the reactions at every degree of freedom."""
    i, j = ends[:, 0], ends[:, 1]
    d = xy[j] - xy[i]
    length = np.hypot(d[:, 0], d[:, 1])
    c, s = d[:, 0] / length, d[:, 1] / length
    k = ea / length

    # Member stiffness k * t t^T, where t = (-c, -s, c, s) takes the end displacements to the extension.
    t = np.column_stack([-c, -s, c, s])
    dofs = np.column_stack([2 * i, 2 * i + 1, 2 * j, 2 * j + 1])
    values = k[:, None, None] * t[:, :, None] * t[:, None, :]
    rows = np.repeat(dofs, 4, axis=1)
    cols = np.tile(dofs, (1, 4))
    n = len(force)
    stiffness = scipy.sparse.coo_matrix((values.ravel(), (rows.ravel(), cols.ravel())), shape=(n, n)).tocsc()

    free = np.flatnonzero(~fixed)
    u = np.zeros(n)
    u[free] = scipy.sparse.linalg.spsolve(stiffness[free][:, free], force[free])

    axial = k * np.einsum("mk,mk->m", t, u[dofs])
    reactions = stiffness @ u - force
    return u, axial, reactions


def write_results(path, u, axial, reactions, fixed):
    joints = np.arange(1, len(u) // 2 + 1)
    with open(path, "w") as out:
        out.write("DISPLACEMENTS (mm)\njoint dx dy\n")
        np.savetxt(out, np.column_stack([joints, u.reshape(-1, 2)]), fmt=["%d", "%.17g", "%.17g"])
        out.write("AXIAL FORCES (kN, tension positive)\nmember N\n")
        np.savetxt(out, np.column_stack([np.arange(1, len(axial) + 1), axial]), fmt=["%d", "%.17g"])
        out.write("REACTIONS (kN)\njoint rx ry\n")
        supported = fixed.reshape(-1, 2).any(axis=1)
        r = np.where(fixed, reactions, 0.0).reshape(-1, 2)
        np.savetxt(out, np.column_stack([joints[supported], r[supported]]), fmt=["%d", "%.17g", "%.17g"])


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: scipy_truss.py FILE.sma OUT.txt")
    xy, fixed, force, ends, e, a = read_sma(sys.argv[1])
    u, axial, reactions = solve(xy, fixed, force, ends, e * a)
    write_results(sys.argv[2], u, axial, reactions, fixed)


if __name__ == "__main__":
    main()
