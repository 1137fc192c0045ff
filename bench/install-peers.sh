#!/usr/bin/env bash
# Installs the two programs bench/run_peers.sh times beside varlen-cli, from Debian's own packages:
# numpy and scipy for Debian's python3 (bench/peers/scipy_truss.py) and CalculiX's solver, ccx. Safe to
# run again: packages already present are left as they are.
set -euo pipefail

packages=(
    python3-scipy   # brings python3-numpy
    calculix-ccx
    time            # wall time and peak memory of each run
)

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ "${#missing[@]}" -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    if ! $sudo apt-get update -qq; then
        echo "install-peers: apt-get update failed; check the network and the apt sources" >&2
        exit 1
    fi
    if ! DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"; then
        echo "install-peers: apt-get could not install: ${missing[*]}" >&2
        exit 1
    fi
fi

# The peers run under Debian's python3, which is where python3-scipy puts scipy (a python3 earlier on
# PATH, from pyenv or a virtual environment, need not have it).
/usr/bin/python3 -c 'import numpy, scipy; print("scipy", scipy.__version__, "numpy", numpy.__version__)'
ccx -v 2>/dev/null | grep -m 1 -i version
