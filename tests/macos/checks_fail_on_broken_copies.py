"""Shows that the macOS checks can fail: each passes on the good files, then each copy damaged in one way
must make its checker fail with the message naming that damage (exit 1, no traceback).
  checks_fail_on_broken_copies.py --macho BINARY --rsrc RSRC --windows-pipl PIPL --exports NAMES --entry-point NAME
                                  --bundle BUNDLE --version VERSION --zip ZIP --ofx-bundle OFX_BUNDLE"""
import argparse
import os
import pathlib
import plistlib
import shutil
import struct
import subprocess
import sys
import tempfile
from dataclasses import dataclass
from typing import Callable

import macho
import zipfile
from binary import FormatError

HERE = pathlib.Path(__file__).resolve().parent
PAGE_SIZE = 4096
MISSING_EXPORT = "_NotExported"
SYSTEM_LIBRARY = b"/usr/lib/libSystem.B.dylib"
RENAMED_LIBRARY = b"/usr/lib/libFooooo.B.dylib"  # the same length, so nothing else moves


def patched(data, offset, new):
    return data[:offset] + new + data[offset + len(new):]


def slice_named(data, architecture):
    return next(piece for piece in macho.slices(data) if piece.architecture == architecture)


def flip_code_byte(data):
    arm64 = slice_named(data, "arm64")
    dataoff, _ = macho.code_signature_location(arm64.data)
    page = dataoff // 2 // PAGE_SIZE
    at = arm64.offset + page * PAGE_SIZE + PAGE_SIZE // 2
    return patched(data, at, bytes([data[at] ^ 0xFF])), f"arm64: page {page} hash mismatch"


def make_dylib(data):
    return patched(data, slice_named(data, "x86_64").offset + 12, struct.pack("<I", 6)), "x86_64: filetype 6,"


def raise_minos(data):
    arm64 = slice_named(data, "arm64")
    [(_, command, _)] = macho.commands_of(arm64.data, {macho.LC_BUILD_VERSION})
    minos = macho.build_versions(arm64.data)[0].minos + (1 << 16)
    return (patched(data, arm64.offset + command + 12, struct.pack("<I", minos)),
            f"arm64: minos {macho.version_text(minos)} is above")


def rename_library(data):
    return data.replace(SYSTEM_LIBRARY, RENAMED_LIBRARY, 1), f"needs {RENAMED_LIBRARY.decode()} (LC_LOAD_DYLIB)"


def change_name_text(data):
    at = data.index(b"8BIMname") + 17  # the first character, after the 16-byte header and the length byte
    return patched(data, at, bytes([data[at] ^ 0x20])), "PiPL: name is"


def rename_ma64(data):
    return data.replace(b"8BIMma64", b"8BIMmb64"), "PiPL: missing property ma64"


def lengthen_last_property(data):
    at = data.rindex(b"8BIM") + 12  # the last property's length: four more bytes than the list holds
    (length,) = struct.unpack_from(">I", data, at)
    return patched(data, at, struct.pack(">I", length + 4)), f"{length + 4} bytes at"


def change_resource_id(data):
    at = data.rindex(struct.pack(">HH", 16000, 0xFFFF))  # the reference entry: its id, then "no name"
    return patched(data, at, struct.pack(">H", 16001)), "rsrc: resources [('PiPL', 16001, None)]"


@dataclass
class Breakage:
    damage: str
    file: str  # "macho" or "rsrc"
    change: Callable[[bytes], tuple[bytes, str]]  # the damaged copy, and the message its checker must print
    extra_export: str = ""


BREAKAGES = [
    Breakage("a byte flipped in an arm64 code page", "macho", flip_code_byte),
    Breakage("the x86_64 slice made MH_DYLIB", "macho", make_dylib),
    Breakage("the arm64 minimum macOS raised", "macho", raise_minos),
    Breakage("an expected export missing", "macho", lambda data: (data, f"missing export {MISSING_EXPORT}"),
             MISSING_EXPORT),
    Breakage("libSystem renamed", "macho", rename_library),
    Breakage("a byte of the PiPL name changed", "rsrc", change_name_text),
    Breakage("the ma64 key renamed", "rsrc", rename_ma64),
    Breakage("the last property's length made inconsistent", "rsrc", lengthen_last_property),
    Breakage("the reference id changed", "rsrc", change_resource_id),
]


# Damage to the effect bundle's folder, made in a copy of it: (what, change, message).
def drop_pkginfo(bundle):
    (bundle / "Contents/PkgInfo").unlink()
    return "missing Contents/PkgInfo"


def retype_bundle(bundle):
    info_path = bundle / "Contents/Info.plist"
    info = plistlib.loads(info_path.read_bytes())
    info["CFBundlePackageType"] = "BNDL"
    info_path.write_bytes(plistlib.dumps(info))
    return "CFBundlePackageType is 'BNDL', not 'eFKT'"


def clear_execute_bit(bundle):
    binary = bundle / "Contents/MacOS/Zephyrine"
    binary.chmod(0o644)
    return "Contents/MacOS/Zephyrine is not executable"


BUNDLE_BREAKAGES = [("PkgInfo removed", drop_pkginfo), ("the package type changed", retype_bundle),
                    ("the binary's execute bit cleared", clear_execute_bit)]


# Damage to the zip, made by rewriting a copy without, or with a changed, member.
def rewritten_zip(source, target, change):
    with zipfile.ZipFile(source) as good, zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED) as damaged:
        for info in good.infolist():
            data = change(info, good.read(info))
            if data is not None:
                damaged.writestr(info, data)


def drop_install_text(info, data):
    return None if info.filename.endswith("/INSTALL.txt") else data


def forget_quarantine(info, data):
    return data.replace(b"xattr -dr", b"xattr -d") if info.filename.endswith("/INSTALL.txt") else data


def clear_zipped_execute_bit(info, data):
    if info.filename.endswith("/Contents/MacOS/Zephyrine"):
        info.external_attr = 0o644 << 16
    return data


ZIP_BREAKAGES = [("INSTALL.txt left out", drop_install_text, "missing "),
                 ("the quarantine step dropped", forget_quarantine, "INSTALL.txt does not say 'xattr -dr"),
                 ("the binary stored without its execute bit", clear_zipped_execute_bit, "is not executable in the zip")]


def own_limits(data):
    """Each slice's own minimum macOS as its limit, so that a raised one fails whatever the build targets."""
    return [argument for piece in macho.slices(data) for version in macho.build_versions(piece.data)
            for argument in ("--min-version", f"{piece.architecture}={macho.version_text(version.minos)}")]


def run(arguments):
    completed = subprocess.run([sys.executable, *arguments], capture_output=True, text=True)
    return completed.returncode, completed.stdout + completed.stderr


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for option in ("--macho", "--rsrc", "--windows-pipl", "--exports", "--entry-point", "--bundle", "--version",
                   "--zip", "--ofx-bundle"):
        parser.add_argument(option, required=True)
    args = parser.parse_args()
    good = {"macho": pathlib.Path(args.macho).read_bytes(), "rsrc": pathlib.Path(args.rsrc).read_bytes()}
    try:
        limits = own_limits(good["macho"])
    except FormatError as error:
        print(f"FAIL {args.macho}: {error}")
        return 1

    def command(file, path, extra_export=""):
        if file == "macho":
            exports = ",".join(filter(None, (args.exports, extra_export)))
            return [str(HERE / "check_macho.py"), str(path), "--exports", exports, *limits]
        return [str(HERE / "check_property_list.py"), str(path), args.windows_pipl, "--entry-point", args.entry_point]

    def bundle_command(bundle):
        return [str(HERE / "check_bundle.py"), "effect", str(bundle), args.version]

    def zip_command(zip_path):
        return [str(HERE / "check_zip.py"), str(zip_path), args.bundle, args.ofx_bundle]

    failed = False
    for checked in (command("macho", args.macho), command("rsrc", args.rsrc), bundle_command(args.bundle),
                    zip_command(args.zip)):
        status, output = run(checked)
        print(f"{'ok' if status == 0 else 'FAIL'} the good {checked[1]}: {output.strip()}")
        failed |= status != 0
    if failed:
        return 1

    def expect_failure(damage, checked, message):
        status, output = run(checked)
        if status == 1 and message in output and "Traceback" not in output:
            line = next(line for line in output.splitlines() if message in line)
            print(f"ok {damage}: {line}")
            return True
        print(f"FAIL {damage}: expected exit 1 with {message!r}, got {status}:\n{output}")
        return False

    with tempfile.TemporaryDirectory() as scratch:
        for breakage in BREAKAGES:
            damaged, message = breakage.change(good[breakage.file])
            path = pathlib.Path(scratch) / pathlib.Path(getattr(args, breakage.file)).name
            path.write_bytes(damaged)
            failed |= not expect_failure(breakage.damage, command(breakage.file, path, breakage.extra_export), message)
        for damage, change in BUNDLE_BREAKAGES:
            bundle = pathlib.Path(scratch) / "bundle" / os.path.basename(args.bundle)
            shutil.rmtree(bundle.parent, ignore_errors=True)
            shutil.copytree(args.bundle, bundle, symlinks=True)
            message = change(bundle)
            failed |= not expect_failure(damage, bundle_command(bundle), message)
        for damage, change, message in ZIP_BREAKAGES:
            damaged_zip = pathlib.Path(scratch) / os.path.basename(args.zip)
            rewritten_zip(args.zip, damaged_zip, change)
            failed |= not expect_failure(damage, zip_command(damaged_zip), message)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
