#!/bin/sh
# Installs the build into a scratch prefix and checks what lands there. Linux: the module in
# plugins/. Windows: what a user gets, and nothing more: Zephyrine.aex with no debug
# information (only a debug link to the file kept in the build), the licence and the install
# text.
# Usage: check_install.sh BUILD_DIR MODULE_FILE_NAME OBJDUMP
set -eu
build=$1
module=$2
objdump=$3
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
fail() { echo "FAIL: $*" >&2; exit 1; }
case "$module" in
*.dll)
    listing=$(cd "$prefix" && find . -type f | sort | tr '\n' ' ')
    [ "$listing" = "./INSTALL.txt ./LICENSE ./Zephyrine.aex " ] || fail "installed: $listing"
    sections=$("$objdump" -h "$prefix/Zephyrine.aex")
    if echo "$sections" | grep -q '\.debug_'; then fail "Zephyrine.aex carries debug information"; fi
    echo "$sections" | grep -q '\.gnu_debuglink' || fail "Zephyrine.aex has no debug link"
    [ -f "$build/release/Zephyrine.aex.debug" ] || fail "the debug information is not kept in the build"
    "$objdump" -h "$build/release/Zephyrine.aex.debug" | grep -q '\.debug_info' || fail "the debug file holds no debug information"
    echo "Zephyrine.aex: $(wc -c < "$prefix/Zephyrine.aex") bytes; the unstripped module: $(wc -c < "$build/bin/$module") bytes"
    ;;
*)
    [ -f "$prefix/plugins/$module" ] || fail "plugins/$module missing"
    ;;
esac
echo "install layout ok"
