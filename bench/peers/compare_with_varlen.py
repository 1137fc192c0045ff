#!/usr/bin/python3
"""Compares a peer's answers with varlen-cli's, to show that the timed runs computed the same thing.

Usage: bench/peers/compare_with_varlen.py VARLEN.json scipy OUT.txt
       bench/peers/compare_with_varlen.py VARLEN.json ccx OUT.dat

VARLEN.json is what `varlen-cli analyse FILE.sma --json VARLEN.json` writes; OUT.txt is the results of
bench/peers/scipy_truss.py; OUT.dat is what `ccx -i OUT` prints for a deck from sma_to_calculix.py.
Prints the largest difference in the displacements, axial forces and reactions, each relative to the
largest value of its kind (a difference relative to each value would be meaningless for the members
that carry next to nothing), and exits 1 when one of them exceeds --tolerance: by default 1e-9 for
scipy and 2e-6 for ccx, which prints seven significant digits.

With --reference FILE.sma it also solves the truss to the full accuracy of a double (SuperLU's answer
refined with residuals summed in long double) and says how far each side's displacements and axial
forces are from that: where the two disagree, this tells which one is right.
"""

import argparse
import json
import sys

import os

import numpy as np
import scipy.sparse
import scipy.sparse.linalg

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from scipy_truss import read_sma  # noqa: E402


def varlen_answers(path):
    with open(path) as f:
        data = json.load(f)
    u = np.array([(j["dx"], j["dy"]) for j in data["joints"]])
    axial = np.array([m["axial_force"] for m in data["members"]])
    reactions = {r["joint"]: (r["rx"], r["ry"]) for r in data["reactions"]}
    return u, axial, reactions


def scipy_answers(path):
    blocks = {}
    name = None
    with open(path) as f:
        for line in f:
            if line[0].isalpha():
                # A block's title ("DISPLACEMENTS (mm)") or its column heads ("joint dx dy").
                if line.split()[0].isupper():
                    name = line.split()[0]
                    blocks[name] = []
                continue
            blocks[name].append([float(x) for x in line.split()])
    u = np.array(blocks["DISPLACEMENTS"])[:, 1:]
    axial = np.array(blocks["AXIAL"])[:, 1]
    reactions = {int(r[0]): (r[1], r[2]) for r in blocks["REACTIONS"]}
    return u, axial, reactions


def ccx_answers(dat_path, inp_path, joints, members):
    """Displacements, axial forces and reactions from ccx's .dat file and the deck it ran.

    ccx expands each truss element into a brick and prints the stress tensor, in global axes, at the
    brick's eight integration points. The axial stress is that tensor along the member, averaged over
    the points, and the axial force that times the element set's area from the deck.

    ccx's RF at a node is the sum of the element forces there; Varlen's reaction is that less the load
    applied at the joint (on a support the load goes straight into it), so the deck's loads are taken
    off. A deck of springs (sma_to_calculix.py --springs) prints no stresses, and ccx works out a
    SPRINGA's force along the line between the displaced nodes, so its RF are not the linear reactions:
    for such a deck neither axial forces nor reactions are returned.
    """
    xy = np.zeros((joints, 2))
    ends = np.zeros((members, 2), dtype=int)
    element_set = np.zeros(members, dtype=object)
    set_area = {}
    load = np.zeros((joints, 2))
    springs = False
    with open(inp_path) as f:
        lines = f.read().splitlines()
    card = None
    for k, line in enumerate(lines):
        if line.startswith("**"):
            continue
        if line.startswith("*"):
            words = [w.strip().upper() for w in line.split(",")]
            card = words[0]
            options = dict(w.split("=") for w in words[1:] if "=" in w)
            if card == "*SOLID SECTION":
                set_area[options["ELSET"]] = float(lines[k + 1].split(",")[0])
            elif card == "*ELEMENT":
                current = options["ELSET"]
                springs = springs or options["TYPE"] == "SPRINGA"
            continue
        fields = line.split(",")
        if card == "*NODE":
            xy[int(fields[0]) - 1] = float(fields[1]), float(fields[2])
        elif card == "*ELEMENT":
            m = int(fields[0]) - 1
            ends[m] = int(fields[1]) - 1, int(fields[2]) - 1
            element_set[m] = current
        elif card == "*CLOAD":
            load[int(fields[0]) - 1, int(fields[1]) - 1] += float(fields[2])
    d = xy[ends[:, 1]] - xy[ends[:, 0]]
    c, s = (d / np.hypot(d[:, 0], d[:, 1])[:, None]).T

    u = np.zeros((joints, 2))
    rf = np.zeros((joints, 2))
    stress = np.zeros((members, 3))  # sxx, syy, sxy summed over the integration points
    points = np.zeros(members)
    block = None
    with open(dat_path) as f:
        for line in f:
            words = line.split()
            if not words:
                continue
            if words[0] in ("displacements", "forces", "stresses"):
                block = words[0]
                continue
            number = int(words[0]) - 1
            if block == "displacements":
                u[number] = float(words[1]), float(words[2])
            elif block == "forces":
                rf[number] = float(words[1]), float(words[2])
            elif block == "stresses":
                stress[number] += float(words[2]), float(words[3]), float(words[5])
                points[number] += 1
    if springs:
        return u, None, None
    sxx, syy, sxy = (stress / points[:, None]).T
    area = np.array([set_area[name] for name in element_set])
    axial = (sxx * c * c + syy * s * s + 2 * sxy * c * s) * area
    return u, axial, rf - load


def reference_answers(sma_path):
    """Displacements and axial forces as exact as a double holds them.

    The stiffness terms and the residual are formed in long double; SuperLU factorises the matrix in
    double once and each refinement solves for the correction with it. On an ill-conditioned truss
    (the 907-panel girder) one plain solve loses six digits, which the refinement wins back.
    """
    xy, fixed, force, ends, youngs, areas = read_sma(sma_path)
    ld = np.longdouble
    i, j = ends[:, 0], ends[:, 1]
    d = xy[j].astype(ld) - xy[i].astype(ld)
    length = np.sqrt(d[:, 0] ** 2 + d[:, 1] ** 2)
    t = np.column_stack([-d[:, 0], -d[:, 1], d[:, 0], d[:, 1]]) / length[:, None]
    k = youngs.astype(ld) * areas.astype(ld) / length
    dofs = np.column_stack([2 * i, 2 * i + 1, 2 * j, 2 * j + 1])
    values = (k[:, None, None] * t[:, :, None] * t[:, None, :]).ravel()
    rows = np.repeat(dofs, 4, axis=1).ravel()
    cols = np.tile(dofs, (1, 4)).ravel()
    n = len(force)
    free = np.flatnonzero(~fixed)
    stiffness = scipy.sparse.coo_matrix((values.astype(float), (rows, cols)), shape=(n, n)).tocsc()
    lu = scipy.sparse.linalg.splu(stiffness[free][:, free])

    u = np.zeros(n, dtype=ld)
    for _ in range(10):
        internal = np.zeros(n, dtype=ld)
        np.add.at(internal, rows, values * u[cols])
        correction = lu.solve((force - internal)[free].astype(float))
        u[free] += correction
        if np.max(np.abs(correction)) <= 1e-17 * float(np.max(np.abs(u))):
            break
    axial = k * np.einsum("mk,mk->m", t, u[dofs])
    return u.astype(float).reshape(-1, 2), axial.astype(float)


def report(name, ours, theirs):
    scale = np.max(np.abs(ours))
    difference = np.max(np.abs(ours - theirs)) / scale if scale > 0 else np.max(np.abs(theirs))
    print(f"{name}: largest difference {difference:.2e} of the largest value {scale:.6g}")
    return difference


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("varlen_json")
    parser.add_argument("peer", choices=["scipy", "ccx"])
    parser.add_argument("peer_output")
    parser.add_argument("--inp", help="the ccx deck, for the members' directions and areas "
                        "(default: OUT.dat's name with .inp)")
    parser.add_argument("--tolerance", type=float)
    parser.add_argument("--reference", metavar="FILE.sma", help="also compare both with a refined solution")
    args = parser.parse_args()

    u, axial, reactions = varlen_answers(args.varlen_json)
    if args.peer == "scipy":
        pu, paxial, preactions = scipy_answers(args.peer_output)
    else:
        inp = args.inp or args.peer_output.rsplit(".", 1)[0] + ".inp"
        pu, paxial, rf = ccx_answers(args.peer_output, inp, len(u), len(axial))
        preactions = None if rf is None else {j: tuple(rf[j - 1]) for j in reactions}

    differences = [report("displacements", u, pu)]
    if paxial is None:
        print("axial forces: not compared (a deck of springs)")
    else:
        differences.append(report("axial forces", axial, paxial))
    if preactions is None:
        print("reactions: not compared (a deck of springs)")
    else:
        supported = sorted(reactions)
        theirs = np.array([preactions.get(j, (np.nan, np.nan)) for j in supported])
        differences.append(report("reactions", np.array([reactions[j] for j in supported]), theirs))
    if args.reference:
        ref_u, ref_axial = reference_answers(args.reference)
        for side, side_u, side_axial in (("varlen", u, axial), (args.peer, pu, paxial)):
            print(f"{side} against the refined solution:")
            report("  displacements", ref_u, side_u)
            if side_axial is not None:
                report("  axial forces", ref_axial, side_axial)

    tolerance = args.tolerance or (1e-9 if args.peer == "scipy" else 2e-6)
    if not max(differences) <= tolerance:
        sys.exit(f"differences above {tolerance:g}")


if __name__ == "__main__":
    main()
