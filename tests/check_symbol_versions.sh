#!/bin/sh
# Checks that a Linux binary loads on the oldest distribution it is meant for: by default the
# oldest studios run (RHEL 8 and its rebuilds, glibc 2.28 and GCC 8's C++ runtime), else the
# limits given: no symbol version newer than GLIBC, GLIBCXX or CXXABI's, and no library needed
# but the C and C++ runtimes'.
# Usage: check_symbol_versions.sh BINARY [GLIBC GLIBCXX CXXABI]
set -eu
binary=$1
glibc=${2:-2.28}
glibcxx=${3:-3.4.25}
cxxabi=${4:-1.3.11}
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -f "$binary" ] || fail "$binary: no such file"

# The newest of the binary's versions of one family (GLIBC, GLIBCXX, CXXABI), or nothing.
newest() {
    objdump -T "$binary" | grep -o "[[:space:](]$1_[0-9][0-9.]*" | sed "s/^.$1_//" | sort -u -V | tail -n 1
}

# Fails unless version $2 of family $1 is at most $3.
at_most() {
    [ -z "$2" ] && return 0
    highest=$(printf '%s\n%s\n' "$2" "$3" | sort -V | tail -n 1)
    [ "$highest" = "$3" ] || fail "needs $1_$2, newer than $1_$3"
    echo "$1_$2 (at most $1_$3)"
}

at_most GLIBC "$(newest GLIBC)" "$glibc"
at_most GLIBCXX "$(newest GLIBCXX)" "$glibcxx"
at_most CXXABI "$(newest CXXABI)" "$cxxabi"

for library in $(objdump -p "$binary" | awk '$1 == "NEEDED" {print $2}'); do
    case $library in
    libc.so.6 | libm.so.6 | libpthread.so.0 | libdl.so.2 | librt.so.1 | ld-linux-x86-64.so.2 | libgcc_s.so.1 | \
        libstdc++.so.6) echo "needs $library" ;;
    *) fail "needs $library, which is not part of the C or C++ runtime" ;;
    esac
done
echo "PASS: $binary"
