"""Shows that the macOS checks can fail: both pass on the good files, then each copy damaged in one way
must make its checker fail with the message naming that damage (exit 1, no traceback).
  checks_fail_on_broken_copies.py --macho BINARY --rsrc RSRC --windows-pipl PIPL --exports NAMES --entry-point NAME"""
import argparse
import pathlib
import struct
import subprocess
import sys
import tempfile
from dataclasses import dataclass
from typing import Callable

import macho
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


def own_limits(data):
    """Each slice's own minimum macOS as its limit, so that a raised one fails whatever the build targets."""
    return [argument for piece in macho.slices(data) for version in macho.build_versions(piece.data)
            for argument in ("--min-version", f"{piece.architecture}={macho.version_text(version.minos)}")]


def run(arguments):
    completed = subprocess.run([sys.executable, *arguments], capture_output=True, text=True)
    return completed.returncode, completed.stdout + completed.stderr


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for option in ("--macho", "--rsrc", "--windows-pipl", "--exports", "--entry-point"):
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

    failed = False
    for file, path in (("macho", args.macho), ("rsrc", args.rsrc)):
        status, output = run(command(file, path))
        print(f"{'ok' if status == 0 else 'FAIL'} the good {path}: {output.strip()}")
        failed |= status != 0
    if failed:
        return 1
    with tempfile.TemporaryDirectory() as scratch:
        for breakage in BREAKAGES:
            damaged, message = breakage.change(good[breakage.file])
            path = pathlib.Path(scratch) / pathlib.Path(getattr(args, breakage.file)).name
            path.write_bytes(damaged)
            status, output = run(command(breakage.file, path, breakage.extra_export))
            if status == 1 and message in output and "Traceback" not in output:
                line = next(line for line in output.splitlines() if message in line)
                print(f"ok {breakage.damage}: {line}")
            else:
                print(f"FAIL {breakage.damage}: expected exit 1 with {message!r}, got {status}:\n{output}")
                failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
