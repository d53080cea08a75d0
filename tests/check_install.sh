#!/bin/sh
# Installs the build into a scratch prefix and checks what lands there. Linux: the module in
# lib/zephyrine/ (where zephyrine-render in bin/ finds it) and the OpenFX bundle under
# OFX/Plugins/. Windows: what a user gets, and nothing more: Zephyrine.aex and the bundle's
# Zephyrine.ofx with no debug information (only debug links to the files kept in the build),
# the licence and the install text.
# Usage: check_install.sh BUILD_DIR MODULE_FILE_NAME OBJDUMP OFX_ARCHITECTURE
set -eu
build=$1
module=$2
objdump=$3
architecture=$4
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
fail() { echo "FAIL: $*" >&2; exit 1; }
case "$module" in
*.dll)
    listing=$(cd "$prefix" && find . -type f | sort | tr '\n' ' ')
    [ "$listing" = "./INSTALL.txt ./LICENSE ./Zephyrine.aex ./Zephyrine.ofx.bundle/Contents/Win64/Zephyrine.ofx " ] ||
        fail "installed: $listing"
    for shipped in Zephyrine.aex:Zephyrine.aex Zephyrine.ofx.bundle/Contents/Win64/Zephyrine.ofx:Zephyrine.ofx; do
        file=${shipped%%:*}
        debug="$build/release/${shipped##*:}.debug"
        sections=$("$objdump" -h "$prefix/$file")
        if echo "$sections" | grep -q '\.debug_'; then fail "$file carries debug information"; fi
        echo "$sections" | grep -q '\.gnu_debuglink' || fail "$file has no debug link"
        [ -f "$debug" ] || fail "the debug information of $file is not kept in the build"
        "$objdump" -h "$debug" | grep -q '\.debug_info' || fail "$debug holds no debug information"
        echo "$file: $(wc -c < "$prefix/$file") bytes"
    done
    echo "the unstripped module: $(wc -c < "$build/bin/$module") bytes"
    ;;
*)
    [ -f "$prefix/lib/zephyrine/$module" ] || fail "lib/zephyrine/$module missing"
    [ -f "$prefix/OFX/Plugins/Zephyrine.ofx.bundle/Contents/$architecture/Zephyrine.ofx" ] || fail "the OpenFX bundle is missing"
    [ -f "$prefix/share/doc/zephyrine/copyright" ] || fail "the licence is missing"
    ;;
esac
echo "install layout ok"
