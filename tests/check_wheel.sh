#!/bin/sh
# The wheel as pipelines install it: its binaries audited against the platform tag it claims,
# then installed offline into a fresh virtual environment of every CPython 3.8 or later on the
# machine (Debian's /usr/bin/python3, and those under pyenv if there are any). In each: import,
# __version__, the argument errors, and, where numpy imports, the package's whole test suite
# (worked pixels, the tool's bits, threads, fork) against the installed copy.
# Usage: check_wheel.sh WHEEL TESTS_DIR TOOL VERSION
set -eu
wheel=$1
tests=$2
tool=$3
version=$4
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -f "$wheel" ] || fail "no wheel $wheel"
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# The tag in the name is the one the WHEEL file declares, and every binary keeps within it.
unzip -q "$wheel" -d "$scratch/unpacked"
tag=$(basename "$wheel" .whl | cut -d- -f3-)
grep -qx "Tag: $tag" "$scratch"/unpacked/*.dist-info/WHEEL || fail "WHEEL does not declare $tag"
case $tag in
py3-none-manylinux_2_34_x86_64) limits="2.34 3.4.29 1.3.13" ;;
*) fail "no symbol limits known for the tag $tag" ;;
esac
for binary in "$scratch"/unpacked/zephyrine/_lib/*; do
    sh "$here/check_symbol_versions.sh" "$binary" $limits >/dev/null || fail "$(basename "$binary") exceeds $tag"
done
grep -qx 'Requires-Python: >=3.8' "$scratch"/unpacked/*.dist-info/METADATA || fail "no Requires-Python >=3.8"
grep -qx 'Requires-Dist: numpy' "$scratch"/unpacked/*.dist-info/METADATA || fail "no Requires-Dist: numpy"

# Every CPython 3.8 or later found.
interpreters=/usr/bin/python3
pyenv_root=${PYENV_ROOT:-$HOME/.pyenv}
found_pyenv=$(ls -d "$pyenv_root"/versions/*/bin/python 2>/dev/null || true)
if [ -z "$found_pyenv" ]; then
    echo "SKIP: no CPython under $pyenv_root/versions: the wheel is tried in Debian's /usr/bin/python3 alone"
fi
interpreters="$interpreters $found_pyenv"

tried=0
for python in $interpreters; do
    name=$("$python" -c 'import sys; print("%s %d.%d.%d" % ((sys.implementation.name,) + sys.version_info[:3]))' 2>/dev/null) ||
        { echo "SKIP: $python does not run"; continue; }
    if ! "$python" -c 'import sys; sys.exit(sys.implementation.name != "cpython" or sys.version_info < (3, 8))'; then
        echo "SKIP: $python is $name, older than 3.8 or not CPython"
        continue
    fi
    venv="$scratch/venv-$tried"
    # Debian's interpreter sees its own numpy and pytest; the others have only what they ship.
    shared=
    [ "$python" = /usr/bin/python3 ] && shared=--system-site-packages
    "$python" -m venv $shared "$venv" || fail "$name: no virtual environment"
    has_numpy=$("$venv/bin/python" -c 'import numpy; print(1)' 2>/dev/null || echo 0)
    no_deps=
    [ "$has_numpy" = 1 ] || no_deps=--no-deps # numpy is not in this interpreter, nor to be downloaded
    "$venv/bin/python" -m pip install --quiet --no-index --disable-pip-version-check $no_deps "$wheel" ||
        fail "$name: pip does not install the wheel"
    (cd "$scratch" && env -u PYTHONPATH -u ZEPHYRINE_PLUGIN -u ZEPHYRINE_LIBRARY "$venv/bin/python" - "$venv" "$version") <<'EOF' || fail "$name: the installed package fails"
import os, sys
import zephyrine
venv, version = sys.argv[1:]
assert os.path.realpath(zephyrine.__file__).startswith(os.path.realpath(venv)), zephyrine.__file__
assert zephyrine.__version__ == version, zephyrine.__version__
for call, error in [(lambda: zephyrine.render([[1, 2, 3]]), TypeError),
                    (lambda: zephyrine.render(None, tilt_forward=2.0), ValueError),
                    (lambda: zephyrine.render(None, tilt=0.5), TypeError),
                    (lambda: zephyrine.check("image"), TypeError)]:
    try:
        call()
    except error:
        pass
    else:
        raise AssertionError("no %s" % error.__name__)
assert zephyrine.about().startswith("Zephyrine")
assert os.path.realpath(zephyrine.plugin_path()).startswith(os.path.realpath(venv))
EOF
    if [ "$has_numpy" = 1 ]; then
        plugin=$("$venv/bin/python" -c 'import zephyrine; print(zephyrine.plugin_path())')
        (cd "$scratch" && env -u PYTHONPATH -u ZEPHYRINE_PLUGIN -u ZEPHYRINE_LIBRARY PYTHONDONTWRITEBYTECODE=1 \
            ZEPHYRINE_RENDER="$tool" ZEPHYRINE_EXPECTED_PLUGIN="$plugin" ZEPHYRINE_VERSION="$version" \
            "$venv/bin/python" -m pytest -q -p no:cacheprovider --rootdir "$tests" "$tests") ||
            fail "$name: the test suite fails on the installed package"
        echo "PASS: $name, with numpy: import, version, argument errors and the test suite"
    else
        echo "PASS: $name, without numpy (installed with --no-deps): import, version, argument errors, about"
    fi
    tried=$((tried + 1))
done
[ "$tried" -gt 0 ] || fail "no CPython 3.8 or later to try the wheel in"
