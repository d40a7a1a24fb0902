#!/usr/bin/env bash
# Installs, with apt-get, whichever of the project's build and test tools
# are missing. Sourced by the other scripts; safe to run again.
set -euo pipefail

QEL_PACKAGES=(
    cmake make g++ clang libclang-rt-14-dev
    libgtest-dev libbenchmark-dev
    g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686
    wine64 python3 valgrind gzip xz-utils
)

qel_install_missing() {
    local missing=()
    for package in "${QEL_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    echo "Installing: ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
}

qel_install_missing
