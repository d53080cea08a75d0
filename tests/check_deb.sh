#!/bin/sh
# The Debian package as a user gets it: unpacked into a scratch root (no root rights, nothing
# installed on the machine), its layout and control fields checked, and the unpacked tool run
# on an image file with the module it carries, and the unpacked bundle through ofxsim.
# Usage: check_deb.sh BUILD_DIR PACKAGE_FILE RENDER_WITH_BUNDLE
set -eu
build=$1
deb="$build/$2"
render_with_bundle=$3
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -f "$deb" ] || fail "no package $deb: the packages test makes it"
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

dpkg-deb -x "$deb" "$root"
for file in usr/bin/zephyrine-render usr/lib/zephyrine/zephyrine.so \
    usr/OFX/Plugins/Zephyrine.ofx.bundle/Contents/Linux-x86-64/Zephyrine.ofx usr/share/doc/zephyrine/copyright; do
    [ -f "$root/$file" ] || fail "the package lacks /$file"
done
unexpected=$(cd "$root" && find . -type f | grep -v -e '^./usr/bin/zephyrine-render$' -e '^./usr/lib/zephyrine/zephyrine.so$' \
    -e '^./usr/OFX/Plugins/Zephyrine.ofx.bundle/Contents/Linux-x86-64/Zephyrine.ofx$' -e '^./usr/share/doc/zephyrine/copyright$' || true)
[ -z "$unexpected" ] || fail "the package also holds: $unexpected"

[ "$(dpkg-deb -f "$deb" Package)" = zephyrine ] || fail "package name: $(dpkg-deb -f "$deb" Package)"
[ "$(dpkg-deb -f "$deb" Version)" = 1.0.0 ] || fail "version: $(dpkg-deb -f "$deb" Version)"
[ "$(dpkg-deb -f "$deb" Architecture)" = amd64 ] || fail "architecture: $(dpkg-deb -f "$deb" Architecture)"
# Computed from the binaries: OpenImageIO for the tool, the C and C++ runtimes for all three.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for library in libopenimageio libc6 libstdc++6 libgcc-s1; do
    echo "$depends" | grep -q "$library" || fail "Depends lacks $library"
done
# Stripped: no debug sections ship.
for binary in usr/bin/zephyrine-render usr/lib/zephyrine/zephyrine.so \
    usr/OFX/Plugins/Zephyrine.ofx.bundle/Contents/Linux-x86-64/Zephyrine.ofx; do
    if objdump -h "$root/$binary" | grep -q '\.debug_'; then fail "/$binary carries debug information"; fi
done

# The unpacked tool finds the module it came with and renders a file.
"$root/usr/bin/zephyrine-render" --demo "$root/demo" >/dev/null || fail "the unpacked tool cannot make its demo input"
"$root/usr/bin/zephyrine-render" --quiet --tilt-forward 0.25 --outdir "$root/tilted" "$root/demo/input.png" \
    "$root/demo/output-16bit.png" || fail "the unpacked tool does not render"
[ -s "$root/tilted/input.png" ] && [ -s "$root/tilted/output-16bit.png" ] || fail "no output files"
"$render_with_bundle" "$root/usr/OFX/Plugins/Zephyrine.ofx.bundle" || fail "the unpacked bundle does not render"
echo "package ok: $(wc -c < "$deb") bytes"
