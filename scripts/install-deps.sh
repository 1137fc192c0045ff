#!/usr/bin/env bash
# Installs what Varlen needs to build, test and run on Debian 12, from Debian's own packages, on any
# architecture Debian builds them for. Safe to run again: packages already present are left as they are.
# Usage: scripts/install-deps.sh [PACKAGE...]  (packages a script needs beyond these, such as the
# benchmark's peers)
set -euo pipefail

packages=(
    cmake ninja-build g++
    libeigen3-dev libsuitesparse-dev libopenblas-dev libopenblas0-pthread
    nlohmann-json3-dev libcli11-dev
    libzip-dev     # the word report (.docx) is a zip package
    libgtest-dev libbenchmark-dev
    qt6-base-dev qt6-svg-dev libgl-dev
    clang-format   # CI checks the layout of every source file
    clang libclang-rt-dev   # the readers' fuzzers (scripts/fuzz.sh): clang with libFuzzer and the sanitizers
    xvfb xauth     # screenshots of the desktop program (scripts/screenshots.sh)
    time           # peak memory in the benchmarks
    dpkg-dev file  # the Debian package's library dependencies (cpack runs dpkg-shlibdeps)
    desktop-file-utils shared-mime-info libxml2-utils   # scripts/package.sh checks the desktop entry and MIME type
    "$@"
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
        echo "install-deps: apt-get update failed; check the network and the apt sources" >&2
        exit 1
    fi
    if ! DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"; then
        echo "install-deps: apt-get could not install: ${missing[*]}" >&2
        exit 1
    fi
fi

# CHOLMOD's factorisation runs at the speed of the BLAS it finds: the reference BLAS is several times
# slower than OpenBLAS, so make sure the system's BLAS and LAPACK are OpenBLAS. The alternatives carry
# the machine's multiarch name (libblas.so.3-x86_64-linux-gnu, libblas.so.3-aarch64-linux-gnu, ...).
for lib in libblas.so.3 liblapack.so.3; do
    name=$(update-alternatives --get-selections 2>/dev/null | awk -v lib="$lib" 'index($1, lib "-") == 1 {print $1; exit}')
    if [ -z "$name" ]; then
        echo "install-deps: no $lib alternative is registered; is libopenblas0-pthread installed?" >&2
        exit 1
    fi
    current=$(update-alternatives --query "$name" | sed -n 's/^Value: //p')
    case "$current" in
        *openblas*) ;;
        *)
            choice=$(update-alternatives --list "$name" | grep openblas | head -n 1 || true)
            if [ -z "$choice" ]; then
                echo "install-deps: no OpenBLAS build of $lib to switch to" >&2
                exit 1
            fi
            echo "Switching the system's $lib from ${current:-none} to $choice"
            $sudo update-alternatives --set "$name" "$choice"
            current=$choice
            ;;
    esac
    echo "BLAS in use ($lib): $(readlink -f "$current")"
done
