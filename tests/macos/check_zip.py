#!/usr/bin/env python3
"""Checks the macOS download against the bundles it was made from.

    check_zip.py ZIP PLUGIN_BUNDLE OFX_BUNDLE

The zip holds one folder named after itself, with both bundles (every file byte for byte,
binaries executable), LICENSE and INSTALL.txt, and nothing else. INSTALL.txt must tell users
how to clear the quarantine attribute and where each bundle goes.
"""
import os
import stat
import sys
import zipfile

from report import reported

INSTALL_MUST_SAY = ("xattr -dr com.apple.quarantine", "/Library/Application Support/Adobe/Common/Plug-ins/7.0/MediaCore",
                    "/Library/OFX/Plugins")


def expected_members(top, bundles):
    members = {f"{top}/LICENSE": None, f"{top}/INSTALL.txt": None}
    for bundle in bundles:
        for folder, _, names in os.walk(bundle):
            for name in names:
                path = os.path.join(folder, name)
                relative = os.path.relpath(path, os.path.dirname(bundle))
                members[f"{top}/{relative}"] = path
    return members


def problems(zip_path, bundles):
    top = os.path.basename(zip_path)[: -len(".zip")]
    expected = expected_members(top, bundles)
    with zipfile.ZipFile(zip_path) as archive:
        entries = {info.filename: info for info in archive.infolist() if not info.is_dir()}
        for name in sorted(set(expected) - set(entries)):
            yield f"missing {name}"
        for name in sorted(set(entries) - set(expected)):
            yield f"unexpected {name}"
        for name, source in sorted(expected.items()):
            if name not in entries:
                continue
            data = archive.read(name)
            if source is not None:
                with open(source, "rb") as f:
                    if f.read() != data:
                        yield f"{name} differs from the built file"
                mode = entries[name].external_attr >> 16
                if "/Contents/MacOS/" in name and not mode & stat.S_IXUSR:
                    yield f"{name} is not executable in the zip (mode {oct(mode)})"
            elif name.endswith("INSTALL.txt"):
                text = data.decode("utf-8")
                for phrase in INSTALL_MUST_SAY:
                    if phrase not in text:
                        yield f"INSTALL.txt does not say {phrase!r}"


def main(argv):
    if len(argv) != 4:
        print(__doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
    return reported(list(problems(argv[1], argv[2:])), "ok", f"{os.path.basename(argv[1])}: ")


if __name__ == "__main__":
    sys.exit(main(sys.argv))
