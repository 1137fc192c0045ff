#!/usr/bin/env bash
# Installs what Varlen needs to build, test and run on Debian 12, from Debian's own packages.
# Safe to run again: packages already present are left as they are.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    libeigen3-dev libsuitesparse-dev libopenblas-dev libopenblas0-pthread
    nlohmann-json3-dev libzip-dev
    libgtest-dev libbenchmark-dev
    qt6-base-dev qt6-svg-dev libgl-dev
    xvfb xauth time
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
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# CHOLMOD's factorisation runs at the speed of the BLAS it finds: the reference BLAS is several times
# slower than OpenBLAS, so make sure the system's BLAS and LAPACK are OpenBLAS.
for lib in libblas.so.3 liblapack.so.3; do
    name="${lib}-x86_64-linux-gnu"
    current=$(update-alternatives --query "$name" 2>/dev/null | sed -n 's/^Value: //p')
    case "$current" in
        *openblas*) ;;
        *)
            choice=$(update-alternatives --list "$name" 2>/dev/null | grep openblas | head -n 1 || true)
            if [ -n "$choice" ]; then $sudo update-alternatives --set "$name" "$choice"; fi
            ;;
    esac
    echo "BLAS in use ($lib): $(readlink -f /usr/lib/x86_64-linux-gnu/$lib)"
done
