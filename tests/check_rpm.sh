#!/bin/sh
# The RPM of the OpenFX bundle as a RHEL-family studio gets it: its name, fields and file list
# read with rpm, its requirements (computed by rpmbuild) only the C and C++ runtimes', the
# shared OpenFX folder not owned, and the bundle unpacked into a scratch root rendering
# through ofxsim.
# Usage: check_rpm.sh BUILD_DIR PACKAGE_FILE RENDER_WITH_BUNDLE
set -eu
build=$1
package="$build/$2"
render_with_bundle=$3
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -f "$package" ] || fail "no package $package: the packages test makes it"
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

# The distributions' own checker, with the project's settings (the licence list, the inherent tags).
report=$(rpmlint -c "$(dirname "$0")/../packaging/rpmlint.toml" "$package" 2>&1) || true
echo "$report" | grep -q " 0 errors, 0 warnings" || fail "rpmlint reports:
$report"

fields=$(rpm -qp --qf '%{NAME} %{VERSION} %{RELEASE} %{ARCH} %{LICENSE}' "$package")
[ "$fields" = "zephyrine-ofx 1.0.0 1 x86_64 MIT" ] || fail "name, version, release, arch, licence: $fields"

bundle=/usr/OFX/Plugins/Zephyrine.ofx.bundle
expected="$bundle
$bundle/Contents
$bundle/Contents/Linux-x86-64
$bundle/Contents/Linux-x86-64/Zephyrine.ofx
/usr/share/doc/zephyrine
/usr/share/doc/zephyrine/copyright"
files=$(rpm -qpl "$package")
[ "$files" = "$expected" ] || fail "the package holds:
$files"

for requirement in $(rpm -qp --requires "$package" | sed 's/[( ].*//' | sort -u); do
    case $requirement in
    libc.so.6 | libm.so.6 | libgcc_s.so.1 | libstdc++.so.6 | rpmlib | rtld) ;;
    *) fail "requires $requirement" ;;
    esac
done

(cd "$root" && rpm2cpio "$package" | cpio --quiet -idm) || fail "cannot unpack the package"
if objdump -h "$root$bundle/Contents/Linux-x86-64/Zephyrine.ofx" | grep -q '\.debug_'; then
    fail "the binary carries debug information"
fi
"$render_with_bundle" "$root$bundle" || fail "the unpacked bundle does not render"
echo "package ok: $(wc -c < "$package") bytes"
