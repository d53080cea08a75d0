#!/bin/sh
# The Debian package as a user gets it: unpacked into a scratch root (no root rights, nothing
# installed on the machine), its layout and control fields checked, and the unpacked tool run
# on an image file with the module it carries, the unpacked bundle through ofxsim, and, when
# ZEPHYRINE_PYTHON names Debian's interpreter, the unpacked Python package rendering through
# the unpacked C interface and plug-in module.
# Usage: [ZEPHYRINE_PYTHON=/usr/bin/python3] check_deb.sh BUILD_DIR PACKAGE_FILE RENDER_WITH_BUNDLE
set -eu
build=$1
deb="$build/$2"
render_with_bundle=$3
python=${ZEPHYRINE_PYTHON:-}
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -f "$deb" ] || fail "no package $deb: the packages test makes it"
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

dpkg-deb -x "$deb" "$root"
# Every file the package holds, and nothing else.
expected='./usr/bin/zephyrine-render
./usr/lib/zephyrine/zephyrine.so
./usr/lib/zephyrine/libzephyrine.so.1.0.0
./usr/include/zephyrine/zephyrine.h
./usr/lib/python3/dist-packages/zephyrine/__init__.py
./usr/lib/python3/dist-packages/zephyrine/_library.py
./usr/lib/python3/dist-packages/zephyrine/_version.py
./usr/lib/python3/dist-packages/zephyrine/py.typed
./usr/OFX/Plugins/Zephyrine.ofx.bundle/Contents/Linux-x86-64/Zephyrine.ofx
./usr/share/doc/zephyrine/copyright
./usr/share/doc/zephyrine/changelog.gz
./usr/share/man/man1/zephyrine-render.1.gz
./usr/share/lintian/overrides/zephyrine'
held=$(cd "$root" && find . -type f | sort)
[ "$held" = "$(echo "$expected" | sort)" ] || fail "the package holds:
$held
not:
$expected"
[ "$(readlink "$root/usr/lib/zephyrine/libzephyrine.so.1")" = libzephyrine.so.1.0.0 ] ||
    fail "no link libzephyrine.so.1 to the library"

# Debian's own checker: no tag but those the package overrides, each with its reason.
tags=$(lintian --allow-root "$deb" 2>&1) || fail "lintian reports errors:
$tags"
[ -z "$tags" ] || fail "lintian reports:
$tags"
zcat "$root/usr/share/man/man1/zephyrine-render.1.gz" | grep -q 'tilt.-forward' || fail "the manual page lacks the options"

[ "$(dpkg-deb -f "$deb" Package)" = zephyrine ] || fail "package name: $(dpkg-deb -f "$deb" Package)"
[ "$(dpkg-deb -f "$deb" Version)" = 1.0.0 ] || fail "version: $(dpkg-deb -f "$deb" Version)"
[ "$(dpkg-deb -f "$deb" Architecture)" = amd64 ] || fail "architecture: $(dpkg-deb -f "$deb" Architecture)"
# Computed from the binaries: OpenImageIO for the tool, the C and C++ runtimes for all three.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for library in libopenimageio libc6 libstdc++6 libgcc-s1; do
    echo "$depends" | grep -q "$library" || fail "Depends lacks $library"
done
# The Python package is pure Python: any python3 from 3.8 on, and numpy.
for needed in "python3 (>= 3.8)" python3-numpy; do
    echo "$depends" | grep -qF "$needed" || fail "Depends lacks $needed"
done
# Stripped: no debug sections ship.
for binary in usr/bin/zephyrine-render usr/lib/zephyrine/zephyrine.so usr/lib/zephyrine/libzephyrine.so.1.0.0 \
    usr/OFX/Plugins/Zephyrine.ofx.bundle/Contents/Linux-x86-64/Zephyrine.ofx; do
    if objdump -h "$root/$binary" | grep -q '\.debug_'; then fail "/$binary carries debug information"; fi
done

# The unpacked tool finds the module it came with and renders a file.
"$root/usr/bin/zephyrine-render" --demo "$root/demo" >/dev/null || fail "the unpacked tool cannot make its demo input"
"$root/usr/bin/zephyrine-render" --quiet --tilt-forward 0.25 --outdir "$root/tilted" "$root/demo/input.png" \
    "$root/demo/output-16bit.png" || fail "the unpacked tool does not render"
[ -s "$root/tilted/input.png" ] && [ -s "$root/tilted/output-16bit.png" ] || fail "no output files"
"$render_with_bundle" "$root/usr/OFX/Plugins/Zephyrine.ofx.bundle" || fail "the unpacked bundle does not render"
# The unpacked Python package finds the library and the plug-in module of the package, not the
# build's, and renders the flat normal (128, 128, 255) as the effect does, alpha as given.
if [ -n "$python" ]; then
    env -u PYTHONPATH -u ZEPHYRINE_PLUGIN -u ZEPHYRINE_LIBRARY HOME="$root" "$python" - "$root" <<'EOF' || fail "the unpacked Python package does not render"
import os, sys
root = os.path.realpath(sys.argv[1])
sys.path.insert(0, root + "/usr/lib/python3/dist-packages")
import numpy, zephyrine
assert zephyrine.__file__.startswith(root), zephyrine.__file__
assert zephyrine.plugin_path() == root + "/usr/lib/zephyrine/zephyrine.so", zephyrine.plugin_path()
rendered = zephyrine.render(numpy.array([[[128, 128, 255, 200]]], numpy.uint8))
assert rendered.tolist() == [[[127, 127, 254, 200]]], rendered.tolist()
print("unpacked Python package", zephyrine.__version__, "renders through", zephyrine.plugin_path())
EOF
fi
echo "package ok: $(wc -c < "$deb") bytes"
