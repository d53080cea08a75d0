#!/usr/bin/env python3
"""Checks a macOS plug-in bundle's layout and Info.plist as the hosts read them.

    check_bundle.py effect|ofx BUNDLE VERSION

An effect bundle (for After Effects and Premiere Pro) holds Info.plist, PkgInfo, the binary
and the resource file with the property list; an OpenFX bundle holds Info.plist and the
binary, named after the bundle. Every failure is printed; the exit status is 1 if any.
"""
import os
import plistlib
import sys

from report import reported

# What each kind of bundle must hold (and nothing more), and what its Info.plist must say.
KINDS = {
    "effect": {
        "files": {"Contents/Info.plist", "Contents/PkgInfo", "Contents/MacOS/Zephyrine",
                  "Contents/Resources/Zephyrine.rsrc"},
        "plist": {"CFBundlePackageType": "eFKT", "CFBundleSignature": "FXTC",
                  "CFBundleExecutable": "Zephyrine", "LSRequiresCarbon": True},
        "pkginfo": b"eFKTFXTC",
    },
    "ofx": {
        "files": {"Contents/Info.plist", "Contents/MacOS/Zephyrine.ofx"},
        "plist": {"CFBundlePackageType": "BNDL", "CFBundleExecutable": "Zephyrine.ofx"},
        "pkginfo": None,
    },
}


def files_under(bundle):
    found = set()
    for folder, _, names in os.walk(bundle):
        for name in names:
            found.add(os.path.relpath(os.path.join(folder, name), bundle))
    return found


def problems(kind, bundle, version):
    expected = KINDS[kind]
    found = files_under(bundle)
    for missing in sorted(expected["files"] - found):
        yield f"missing {missing}"
    for extra in sorted(found - expected["files"]):
        yield f"unexpected file {extra}"
    if "Contents/Info.plist" in found:
        with open(os.path.join(bundle, "Contents/Info.plist"), "rb") as f:
            info = plistlib.load(f)
        wanted = dict(expected["plist"], CFBundleVersion=version, CFBundleShortVersionString=version)
        for key, value in wanted.items():
            if info.get(key) != value:
                yield f"Info.plist: {key} is {info.get(key)!r}, not {value!r}"
        for key in ("CFBundleIdentifier", "CFBundleInfoDictionaryVersion", "CFBundleDevelopmentRegion"):
            if not info.get(key):
                yield f"Info.plist: no {key}"
        binary = os.path.join(bundle, "Contents/MacOS", str(info.get("CFBundleExecutable")))
        if os.path.isfile(binary) and not os.access(binary, os.X_OK):
            yield f"{os.path.relpath(binary, bundle)} is not executable"
    if expected["pkginfo"] is not None and "Contents/PkgInfo" in found:
        with open(os.path.join(bundle, "Contents/PkgInfo"), "rb") as f:
            pkginfo = f.read()
        if pkginfo != expected["pkginfo"]:
            yield f"PkgInfo holds {pkginfo!r}, not {expected['pkginfo']!r}"


def main(argv):
    if len(argv) != 4 or argv[1] not in KINDS:
        print(__doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
    kind, bundle, version = argv[1:]
    return reported(list(problems(kind, bundle, version)), "ok", f"{os.path.basename(bundle)}: ")


if __name__ == "__main__":
    sys.exit(main(sys.argv))
