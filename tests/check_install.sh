#!/bin/sh
# Installs the build into a scratch prefix and checks that the module lands where a host looks
# for it: the plug-in folder, and on Windows also under the host's own name Zephyrine.aex.
# Usage: check_install.sh BUILD_DIR MODULE_FILE_NAME
set -eu
build=$1
module=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
[ -f "$prefix/plugins/$module" ] || { echo "FAIL: plugins/$module missing" >&2; exit 1; }
case "$module" in
*.dll)
    cmp "$prefix/plugins/$module" "$prefix/plugins/Zephyrine.aex" || { echo "FAIL: Zephyrine.aex differs" >&2; exit 1; }
    ;;
esac
ls "$prefix/plugins"
echo "install layout ok"
