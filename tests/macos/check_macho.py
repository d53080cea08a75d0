"""Checks the macOS plug-in binary without a Mac: universal with exactly the x86_64 and arm64 slices, each
a bundle that exports exactly the given names, needs nothing but libSystem, loads on the given macOS
versions and carries an intact ad hoc signature (the arm64 kernel refuses to run unsigned code).
Prints every failure, one a line, prefixed by its slice.
  check_macho.py BINARY --exports NAME[,NAME...] --min-version ARCH=VERSION ..."""
import argparse
import sys

import macho
from binary import FormatError
from report import reported

ARCHITECTURES = ("x86_64", "arm64")
SYSTEM_LIBRARY = ("LC_LOAD_DYLIB", "/usr/lib/libSystem.B.dylib")
PAGE_SIZE_LOG2 = 12
SHA256_SIZE = 32


def version_limit(text):
    """ARCH=VERSION as (ARCH, the version in Mach-O's nibble form)."""
    architecture, _, version = text.partition("=")
    numbers = version.split(".")
    if architecture not in ARCHITECTURES or not 1 <= len(numbers) <= 3 or not all(n.isdigit() for n in numbers):
        raise argparse.ArgumentTypeError(f"{text!r} is not ARCH=VERSION, ARCH one of {', '.join(ARCHITECTURES)}")
    major, minor, patch = [int(n) for n in numbers] + [0] * (3 - len(numbers))
    if major > 0xFFFF or minor > 0xFF or patch > 0xFF:
        raise argparse.ArgumentTypeError(f"{version} does not fit Mach-O's xxxx.yy.zz")
    return architecture, major << 16 | minor << 8 | patch


def type_failures(data, architecture, _args):
    cputype, filetype, _, _ = macho.header(data)
    failures = [] if filetype == macho.MH_BUNDLE else [f"filetype {filetype}, expected MH_BUNDLE ({macho.MH_BUNDLE})"]
    if macho.ARCHITECTURES.get(cputype) != architecture:
        failures.append(f"cputype {cputype:#x} in the Mach-O header differs from the universal header's")
    return failures


def export_failures(data, _architecture, args):
    found = set(macho.exports(data))
    return ([f"missing export {name}" for name in sorted(args.exports - found)] +
            [f"unexpected export {name}" for name in sorted(found - args.exports)])


def library_failures(data, _architecture, _args):
    libraries = macho.libraries(data)
    failures = [f"needs {path} ({command}), expected only {SYSTEM_LIBRARY[1]}"
                for command, path in libraries if (command, path) != SYSTEM_LIBRARY]
    if libraries.count(SYSTEM_LIBRARY) != 1:
        failures.append(f"loads {SYSTEM_LIBRARY[1]} {libraries.count(SYSTEM_LIBRARY)} times, expected once")
    return failures + [f"has rpath {path}, expected none" for path in macho.rpaths(data)]


def version_failures(data, architecture, args):
    versions = macho.build_versions(data)
    failures = [] if len(versions) == 1 else [f"{len(versions)} LC_BUILD_VERSION commands, expected 1"]
    limit = args.min_version.get(architecture)
    for version in versions:
        if version.platform != macho.PLATFORM_MACOS:
            failures.append(f"platform {version.platform}, expected macOS ({macho.PLATFORM_MACOS})")
        if limit is not None and version.minos > limit:
            failures.append(f"minos {macho.version_text(version.minos)} is above {macho.version_text(limit)}")
    return failures


def signature_failures(data, _architecture, _args):
    location = macho.code_signature_location(data)
    if location is None:
        return ["no LC_CODE_SIGNATURE"]
    dataoff, datasize = location
    directory = macho.code_directory(data, dataoff, datasize)
    failures = []
    if not directory.flags & macho.CS_ADHOC:
        failures.append(f"CodeDirectory flags {directory.flags:#x} are not ad hoc ({macho.CS_ADHOC:#x})")
    if (directory.hash_type, directory.hash_size) != (macho.HASH_SHA256, SHA256_SIZE):
        failures.append(f"hash type {directory.hash_type} of {directory.hash_size} bytes, expected SHA-256 "
                        f"({macho.HASH_SHA256}, {SHA256_SIZE} bytes)")
    if directory.page_size_log2 != PAGE_SIZE_LOG2:
        failures.append(f"page size 2^{directory.page_size_log2}, expected 4 KiB (2^{PAGE_SIZE_LOG2})")
    if directory.code_limit != dataoff:
        failures.append(f"codeLimit {directory.code_limit} is not LC_CODE_SIGNATURE's dataoff {dataoff}")
    if directory.hash_type != macho.HASH_SHA256 or not directory.page_size_log2:
        return failures
    pages = macho.page_hashes(data, directory.code_limit, 1 << directory.page_size_log2)
    if len(pages) != len(directory.code_hashes):
        failures.append(f"{len(directory.code_hashes)} code hashes for {len(pages)} pages")
    return failures + [f"page {page} hash mismatch" for page, (actual, stored) in
                       enumerate(zip(pages, directory.code_hashes)) if actual != stored]


SLICE_CHECKS = (type_failures, export_failures, library_failures, version_failures, signature_failures)


def failures_of(data, args):
    try:
        slices = macho.slices(data)
    except FormatError as error:
        return [f"universal: {error}"]
    found = [s.architecture for s in slices]
    failures = [] if sorted(found) == sorted(ARCHITECTURES) else [
        f"universal: slices {', '.join(found)}, expected exactly {', '.join(ARCHITECTURES)}"]
    for piece in slices:
        for check in SLICE_CHECKS:
            try:
                found = check(piece.data, piece.architecture, args)
            except FormatError as error:
                found = [str(error)]
            failures += [f"{piece.architecture}: {failure}" for failure in found]
    return failures


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("binary")
    parser.add_argument("--exports", required=True, type=lambda text: set(filter(None, text.split(","))),
                        help="the exported names, Mach-O spelling (_EntryPointFunc), comma-separated")
    parser.add_argument("--min-version", required=True, action="append", type=version_limit,
                        help="ARCH=VERSION: the newest minimum macOS allowed for that slice")
    args = parser.parse_args()
    args.min_version = dict(args.min_version)
    if missing := [a for a in ARCHITECTURES if a not in args.min_version]:
        parser.error(f"no --min-version for {', '.join(missing)}")
    try:
        with open(args.binary, "rb") as file:
            data = file.read()
    except OSError as error:
        print(error, file=sys.stderr)
        return 1
    return reported(failures_of(data, args),
                    f"ok: {args.binary}: {', '.join(ARCHITECTURES)} bundles exporting {', '.join(sorted(args.exports))}, "
                    f"needing only libSystem, minimum macOS within limits, ad hoc signed with every page hash matching")


if __name__ == "__main__":
    sys.exit(main())
