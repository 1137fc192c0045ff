#!/usr/bin/python3
"""Writes a plane truss from a Varlen project file as a CalculiX input deck, so that ccx can be timed on
the same structure as varlen-cli.

Usage: bench/peers/sma_to_calculix.py [--springs] FILE.sma OUT.inp    then    ccx -i OUT    (OUT.dat)

Each member becomes a two-node truss element (T3D2) numbered as the member, each joint a node in the
XY plane numbered as the joint, with Z restrained at every node. Members of equal Young's modulus and
area share one element set, material and section, which keeps the deck short (the benchmark's trusses
have a single one). The units stay those of the file (mm, kN, kN/mm^2), which are consistent: ccx
prints displacements in mm, reaction forces in kN and stresses in kN/mm^2. The step asks for U and RF at
every node and S in every element in the .dat file.

CalculiX 2.20 does not keep a T3D2 as a truss: it expands each one into a thin 3D brick tied to its two
nodes, so ccx solves some 26 times as many equations as the truss has (94,354 for the 1,816-joint
girder) and prints the stress tensor at the brick's eight integration points. Hence --springs, which
writes each member as a SPRINGA element (an axial spring between its two nodes) of stiffness E A / L
instead, one element set per distinct stiffness: ccx then assembles the truss's own stiffness matrix.
It prints no force for a spring, so that deck asks for U and RF alone (and its RF are not quite the
linear reactions: ccx takes a spring's force along the line between the displaced nodes).

The conversion is not part of the timed run; only `ccx -i OUT` is. Checked with
bench/peers/compare_with_varlen.py against varlen-cli's --json output. On the 32 x 32 lattice ccx's
displacements, axial forces (S along the member times the area) and reactions (RF less the load at the
joint) from the T3D2 deck are within 4e-7 of varlen's, as close as ccx's seven printed digits allow,
and the springs deck's displacements within 2e-7. On the 1,816-joint girder (907 panels, 2 m deep and
1.8 km long) the T3D2 deck's answers are 3-4% off, and off in equilibrium too: the expanded bricks make
the girder's ill-conditioning far worse (the same deck of 20, 100 and 300 panels is 1e-7, 3e-6 and
5e-4 off). The springs deck's displacements are within 1.3e-6 there.
"""

import os
import sys

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from scipy_truss import read_sma  # noqa: E402  (the same reading of the file as the scipy peer's)


def grouped(keys):
    """Member numbers (1-based) by key, in order of first appearance."""
    groups = {}
    for member, key in enumerate(keys, start=1):
        groups.setdefault(key, []).append(member)
    return groups


def write_deck(path, source, xy, fixed, force, ends, youngs, areas, springs):
    element = "SPRINGA" if springs else "T3D2"
    if springs:
        d = xy[ends[:, 1]] - xy[ends[:, 0]]
        groups = grouped((youngs * areas / np.hypot(d[:, 0], d[:, 1])).tolist())
    else:
        groups = grouped(zip(youngs.tolist(), areas.tolist()))

    with open(path, "w") as out:
        out.write(f"** {os.path.basename(source)} as a plane truss of {element} elements; units mm, kN\n")
        out.write("*HEADING\n" + os.path.basename(source) + "\n")
        out.write("*NODE, NSET=NALL\n")
        out.writelines(f"{n}, {x!r}, {y!r}, 0\n" for n, (x, y) in enumerate(xy.tolist(), start=1))

        for g, members in enumerate(groups.values(), start=1):
            out.write(f"*ELEMENT, TYPE={element}, ELSET=G{g}\n")
            out.writelines(f"{m}, {ends[m - 1, 0] + 1}, {ends[m - 1, 1] + 1}\n" for m in members)
        out.write(f"*ELSET, ELSET=EALL, GENERATE\n1, {len(ends)}, 1\n")

        for g, key in enumerate(groups, start=1):
            if springs:
                # A SPRINGA's first data line is empty; the second is its stiffness.
                out.write(f"*SPRING, ELSET=G{g}\n\n{key!r}\n")
            else:
                e, a = key
                # Poisson's ratio does not enter a truss's stiffness (nor, much, the thin brick's).
                out.write(f"*MATERIAL, NAME=M{g}\n*ELASTIC\n{e!r}, 0.3\n")
                out.write(f"*SOLID SECTION, ELSET=G{g}, MATERIAL=M{g}\n{a!r}\n")

        out.write("*BOUNDARY\nNALL, 3, 3\n")
        for dof in fixed.nonzero()[0].tolist():
            direction = dof % 2 + 1
            out.write(f"{dof // 2 + 1}, {direction}, {direction}\n")

        out.write("*STEP\n*STATIC\n*CLOAD\n")
        for dof in force.nonzero()[0].tolist():
            out.write(f"{dof // 2 + 1}, {dof % 2 + 1}, {force[dof]!r}\n")
        out.write("*NODE PRINT, NSET=NALL\nU, RF\n")
        if not springs:
            out.write("*EL PRINT, ELSET=EALL\nS\n")
        out.write("*END STEP\n")


def main():
    args = sys.argv[1:]
    springs = "--springs" in args
    if springs:
        args.remove("--springs")
    if len(args) != 2:
        sys.exit("usage: sma_to_calculix.py [--springs] FILE.sma OUT.inp")
    xy, fixed, force, ends, youngs, areas = read_sma(args[0])
    write_deck(args[1], args[0], xy, fixed, force, ends, youngs, areas, springs)


if __name__ == "__main__":
    main()
