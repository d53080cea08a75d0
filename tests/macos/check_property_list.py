"""Checks the macOS resource file against the Windows property list it was made from: one PiPL resource,
id 16000, whose properties are the Windows ones in the same order and with the same values, except that
the Windows entry point '8664' becomes 'mi64' then 'ma64' (x86_64 and arm64), each naming the entry point.
Prints every failure, one a line.
  check_property_list.py RSRC WINDOWS_PIPL --entry-point NAME"""
import argparse
import struct
import sys

import resource_file
from binary import FormatError, unpack
from report import reported

RESOURCE = ("PiPL", 16000, None)
SIGNATURE = b"8BIM"
WINDOWS_ENTRY = "8664"
MACOS_ENTRIES = ("mi64", "ma64")
# How each value reads, so that the two byte orders and paddings compare as a host sees them: a
# four-character code, a Pascal string, or numbers in struct's letters.
VALUE_LAYOUTS = {"kind": "code", "name": "pascal", "catg": "pascal", "eMNA": "pascal", "ePVR": "HH", "eSVR": "HH",
                 "eINF": "H", "eVER": "I", "eGLO": "I", "eGL2": "I", "aeFL": "I"}


def properties(data, offset, count, order):
    """(key, data) of each property: four-character codes come byte-reversed in the little-endian form, and
    data is followed by zeros up to a multiple of four, the last property ending the list."""
    result = []
    for index in range(1, count + 1):
        signature, key, reserved, length = unpack(order + "4s4sII", data, offset, f"property {index}")
        if order == "<":
            signature, key = signature[::-1], key[::-1]
        key = key.decode("latin-1")
        if signature != SIGNATURE or reserved:
            raise FormatError(f"property {index} ({key}): signature {signature!r} and field {reserved}, "
                              f"expected {SIGNATURE!r} and 0")
        start, end, padded = offset + 16, offset + 16 + length, offset + 16 + (length + 3) // 4 * 4
        if padded > len(data):
            raise FormatError(f"property {index} ({key}): {length} bytes at {start} run past the end ({len(data)})")
        if any(data[end:padded]):
            raise FormatError(f"property {index} ({key}): the padding after its {length} bytes is not zero")
        result.append((key, data[start:end]))
        offset = padded
    if offset != len(data):
        raise FormatError(f"{count} properties end at {offset}, the list at {len(data)}")
    return result


def macos_properties(data):
    version, count = unpack(">II", data, 0, "header")
    if version:
        raise FormatError(f"version {version}, expected 0")
    return properties(data, 8, count, ">")


def windows_properties(data):
    resource_version, version, count = unpack("<HII", data, 0, "header")
    if (resource_version, version) != (1, 0):
        raise FormatError(f"versions {resource_version}, {version}, expected 1, 0")
    return properties(data, 10, count, "<")


def pascal_string(key, value, exact):
    """The text; exact when the length must count the length byte and text alone (macOS), otherwise the
    value may carry zeros after the text (Windows counts its padding)."""
    if not value or len(value) < 1 + value[0] or any(value[1 + value[0]:]) or (exact and len(value) != 1 + value[0]):
        raise FormatError(f"{key}: {value!r} is not a Pascal string of length 1 + its text's")
    return value[1:1 + value[0]].decode("latin-1")


def decoded(key, value, order):
    layout = VALUE_LAYOUTS.get(key)
    if layout == "pascal":
        return pascal_string(key, value, exact=order == ">")
    if layout == "code" and len(value) == 4:
        return (value[::-1] if order == "<" else value).decode("latin-1")
    if layout not in (None, "code") and len(value) == struct.calcsize(order + layout):
        return struct.unpack(order + layout, value)
    raise FormatError(f"{key}: {len(value)} bytes {value!r} are no value this check knows")


def entry_failures(macos, windows, entry_point):
    text, terminator, rest = windows.get(WINDOWS_ENTRY, b"").partition(b"\0")
    failures = [] if (text.decode("latin-1"), terminator, any(rest)) == (entry_point, b"\0", False) else [
        f"windows: {WINDOWS_ENTRY} is {windows.get(WINDOWS_ENTRY)!r}, expected {entry_point!r} zero-terminated"]
    for key in (key for key in MACOS_ENTRIES if key in macos):
        try:
            name = pascal_string(key, macos[key], exact=True)
        except FormatError as error:
            failures.append(f"PiPL: {error}")
            continue
        if name != entry_point:
            failures.append(f"PiPL: {key} names {name!r}, expected {entry_point!r}")
    return failures


def comparison_failures(macos, windows, entry_point):
    macos_keys, windows_keys = [key for key, _ in macos], [key for key, _ in windows]
    expected = [new for key in windows_keys for new in (MACOS_ENTRIES if key == WINDOWS_ENTRY else (key,))]
    failures = [f"PiPL: missing property {key}" for key in expected if key not in macos_keys]
    failures += [f"PiPL: unexpected property {key}" for key in macos_keys if key not in expected]
    if not failures and macos_keys != expected:
        failures.append(f"PiPL: properties in order {macos_keys}, expected {expected}")
    macos, windows = dict(macos), dict(windows)
    failures += entry_failures(macos, windows, entry_point)
    for key in (key for key in windows_keys if key in macos):
        try:
            mine, theirs = decoded(key, macos[key], ">"), decoded(key, windows[key], "<")
        except FormatError as error:
            failures.append(f"PiPL: {error}")
            continue
        if mine != theirs:
            failures.append(f"PiPL: {key} is {mine!r}, the Windows one {theirs!r}")
    return failures


def failures_of(rsrc, windows_pipl, entry_point):
    try:
        windows = windows_properties(windows_pipl)
    except FormatError as error:
        return [f"windows: {error}"]
    try:
        resources = resource_file.read(rsrc)
    except FormatError as error:
        return [f"rsrc: {error}"]
    found = [(r.type, r.id, r.name) for r in resources]
    failures = [] if found == [RESOURCE] else [f"rsrc: resources {found}, expected only {RESOURCE}"]
    pipl = next((r for r in resources if r.type == RESOURCE[0]), None)
    if pipl is None:
        return failures
    try:
        return failures + comparison_failures(macos_properties(pipl.data), windows, entry_point)
    except FormatError as error:
        return failures + [f"PiPL: {error}"]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("rsrc")
    parser.add_argument("windows_pipl")
    parser.add_argument("--entry-point", required=True, help="the entry point's C name, EntryPointFunc")
    args = parser.parse_args()
    try:
        with open(args.rsrc, "rb") as rsrc, open(args.windows_pipl, "rb") as windows:
            failures = failures_of(rsrc.read(), windows.read(), args.entry_point)
    except OSError as error:
        failures = [str(error)]
    return reported(failures, f"ok: {args.rsrc}: one PiPL resource {RESOURCE[1]} holding the Windows properties of "
                              f"{args.windows_pipl}, the entry point {args.entry_point} for both macOS architectures")


if __name__ == "__main__":
    sys.exit(main())
