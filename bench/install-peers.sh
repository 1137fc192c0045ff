#!/usr/bin/env bash
# Installs the two programs bench/run_peers.sh times beside varlen-cli, from Debian's own packages:
# numpy and scipy for Debian's python3 (bench/peers/scipy_truss.py) and CalculiX's solver, ccx. Safe to
# run again: packages already present are left as they are.
set -euo pipefail

cd "$(dirname "$0")/.."
# python3-scipy brings python3-numpy; time measures wall time and peak memory of each run.
scripts/install-deps.sh python3-scipy calculix-ccx

# The peers run under Debian's python3, which is where python3-scipy puts scipy (a python3 earlier on
# PATH, from pyenv or a virtual environment, need not have it).
/usr/bin/python3 -c 'import numpy, scipy; print("scipy", scipy.__version__, "numpy", numpy.__version__)'
# ccx -v exits with 201 after printing its version.
{ ccx -v 2>/dev/null || true; } | grep -m 1 -i version
