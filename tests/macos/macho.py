"""Reads what the macOS checks need from a universal Mach-O file: its slices, their load commands,
exported names and ad hoc code signature. Anything malformed raises FormatError."""
import hashlib
from dataclasses import dataclass

from binary import FormatError, unpack

FAT_MAGIC = 0xCAFEBABE
MH_MAGIC_64 = 0xFEEDFACF
MH_BUNDLE = 8
ARCHITECTURES = {0x01000007: "x86_64", 0x0100000C: "arm64"}

LC_CODE_SIGNATURE = 0x1D
LC_BUILD_VERSION = 0x32
LC_RPATH = 0x8000001C
LC_DYLD_INFO_ONLY = 0x80000022
LC_DYLD_EXPORTS_TRIE = 0x80000033
# Every way a load command can make dyld open another library.
LIBRARY_COMMANDS = {0xC: "LC_LOAD_DYLIB", 0x80000018: "LC_LOAD_WEAK_DYLIB", 0x8000001F: "LC_REEXPORT_DYLIB",
                    0x20: "LC_LAZY_LOAD_DYLIB", 0x80000023: "LC_LOAD_UPWARD_DYLIB"}
PLATFORM_MACOS = 1

CODE_SIGNATURE_MAGIC = 0xFADE0CC0
CODE_DIRECTORY_MAGIC = 0xFADE0C02
CODE_DIRECTORY_SLOT = 0
CS_ADHOC = 0x2
HASH_SHA256 = 2


def c_string(data, offset, end, what):
    terminator = data.find(b"\0", offset, end)
    if offset >= end or terminator < 0:
        raise FormatError(f"{what} at {offset} is not zero-terminated")
    return data[offset:terminator].decode("latin-1")


def version_text(encoded):
    """xxxx.yy.zz in nibbles, as macOS writes versions: 0x000b0100 is 11.1."""
    major, minor, patch = encoded >> 16, (encoded >> 8) & 0xFF, encoded & 0xFF
    return f"{major}.{minor}" + (f".{patch}" if patch else "")


@dataclass
class Slice:
    architecture: str
    offset: int  # in the universal file
    data: bytes


def slices(data):
    magic, count = unpack(">II", data, 0, "fat header")
    if magic != FAT_MAGIC:
        raise FormatError(f"magic {magic:#x} is not a universal binary's ({FAT_MAGIC:#x})")
    result = []
    for index in range(count):
        cputype, _, offset, size, _ = unpack(">5I", data, 8 + 20 * index, "fat_arch")
        if offset + size > len(data):
            raise FormatError(f"slice {index} ({offset}+{size}) runs past the end ({len(data)} bytes)")
        architecture = ARCHITECTURES.get(cputype, f"cputype {cputype:#x}")
        result.append(Slice(architecture, offset, data[offset:offset + size]))
    return result


def header(data):
    """The mach_header_64 as (cputype, filetype, ncmds, sizeofcmds)."""
    magic, cputype, _, filetype, ncmds, sizeofcmds = unpack("<6I", data, 0, "mach_header_64")
    if magic != MH_MAGIC_64:
        raise FormatError(f"magic {magic:#x} is not a 64-bit little-endian Mach-O header's")
    return cputype, filetype, ncmds, sizeofcmds


def load_commands(data):
    """(cmd, offset in the slice, cmdsize) for each load command."""
    _, _, ncmds, sizeofcmds = header(data)
    end = 32 + sizeofcmds
    commands, offset = [], 32
    for _ in range(ncmds):
        cmd, cmdsize = unpack("<II", data, offset, "load command")
        if cmdsize < 8 or offset + cmdsize > end:
            raise FormatError(f"load command {cmd:#x} at {offset} has size {cmdsize} beyond sizeofcmds")
        commands.append((cmd, offset, cmdsize))
        offset += cmdsize
    return commands


def commands_of(data, wanted):
    return [(cmd, offset, size) for cmd, offset, size in load_commands(data) if cmd in wanted]


@dataclass
class BuildVersion:
    platform: int
    minos: int


def build_versions(data):
    return [BuildVersion(*unpack("<II", data, offset + 8, "LC_BUILD_VERSION"))
            for _, offset, _ in commands_of(data, {LC_BUILD_VERSION})]


def libraries(data):
    """(command name, path) for each library the slice needs."""
    result = []
    for cmd, offset, size in commands_of(data, LIBRARY_COMMANDS):
        (name_offset,) = unpack("<I", data, offset + 8, LIBRARY_COMMANDS[cmd])
        result.append((LIBRARY_COMMANDS[cmd], c_string(data, offset + name_offset, offset + size, "library name")))
    return result


def rpaths(data):
    return [c_string(data, offset + unpack("<I", data, offset + 8, "LC_RPATH")[0], offset + size, "rpath")
            for _, offset, size in commands_of(data, {LC_RPATH})]


def uleb128(data, offset):
    value = shift = 0
    while True:
        (byte,) = unpack("B", data, offset, "ULEB128")
        value |= (byte & 0x7F) << shift
        offset += 1
        shift += 7
        if byte < 0x80:
            return value, offset


def exports(data):
    """The names in the export trie, found through LC_DYLD_EXPORTS_TRIE or LC_DYLD_INFO_ONLY."""
    tries = [unpack("<II", data, offset + 8, "LC_DYLD_EXPORTS_TRIE") for _, offset, _ in
             commands_of(data, {LC_DYLD_EXPORTS_TRIE})]
    tries += [unpack("<II", data, offset + 40, "LC_DYLD_INFO_ONLY") for _, offset, _ in
              commands_of(data, {LC_DYLD_INFO_ONLY})]
    names = []
    for start, size in tries:
        if start + size > len(data):
            raise FormatError(f"export trie ({start}+{size}) runs past the end of the slice")
        names += trie_names(data[start:start + size])
    return names


def trie_names(trie):
    names, pending, visited = [], [(0, "")], set()
    while pending:
        node, prefix = pending.pop()
        if node in visited:
            raise FormatError(f"export trie node {node} is reached twice")
        visited.add(node)
        terminal_size, offset = uleb128(trie, node)
        if terminal_size:
            names.append(prefix)
        offset += terminal_size
        (children,) = unpack("B", trie, offset, "export trie child count")
        offset += 1
        for _ in range(children):
            edge = c_string(trie, offset, len(trie), "export trie edge")
            child, offset = uleb128(trie, offset + len(edge) + 1)
            pending.append((child, prefix + edge))
    return sorted(names)


def code_signature_location(data):
    """(dataoff, datasize) of LC_CODE_SIGNATURE, or None."""
    found = commands_of(data, {LC_CODE_SIGNATURE})
    if len(found) > 1:
        raise FormatError("more than one LC_CODE_SIGNATURE")
    return unpack("<II", data, found[0][1] + 8, "LC_CODE_SIGNATURE") if found else None


@dataclass
class CodeDirectory:
    flags: int
    code_limit: int
    hash_size: int
    hash_type: int
    page_size_log2: int
    code_hashes: list


def code_directory(data, dataoff, datasize):
    if dataoff + datasize > len(data):
        raise FormatError(f"code signature ({dataoff}+{datasize}) runs past the end of the slice")
    blob = data[dataoff:dataoff + datasize]
    magic, length, count = unpack(">III", blob, 0, "code signature SuperBlob")
    if magic != CODE_SIGNATURE_MAGIC or length > datasize:
        raise FormatError(f"code signature SuperBlob magic {magic:#x}, length {length} (datasize {datasize})")
    offsets = [offset for slot, offset in (unpack(">II", blob, 12 + 8 * i, "blob index") for i in range(count))
               if slot == CODE_DIRECTORY_SLOT]
    if len(offsets) != 1:
        raise FormatError(f"{len(offsets)} CodeDirectory slots in the SuperBlob, expected 1")
    start = offsets[0]
    (magic, _, _, flags, hash_offset, _, _, code_slots, code_limit, hash_size, hash_type, _,
     page_size_log2) = unpack(">9I4B", blob, start, "CodeDirectory")
    if magic != CODE_DIRECTORY_MAGIC:
        raise FormatError(f"CodeDirectory magic {magic:#x}, expected {CODE_DIRECTORY_MAGIC:#x}")
    hashes_start = start + hash_offset
    if hashes_start + code_slots * hash_size > length:
        raise FormatError(f"{code_slots} code hashes at {hash_offset} run past the signature")
    hashes = [blob[hashes_start + i * hash_size:hashes_start + (i + 1) * hash_size] for i in range(code_slots)]
    return CodeDirectory(flags, code_limit, hash_size, hash_type, page_size_log2, hashes)


def page_hashes(data, code_limit, page_size):
    """SHA-256 of each page from the slice's start to code_limit; the last may be short."""
    return [hashlib.sha256(data[start:min(start + page_size, code_limit)]).digest()
            for start in range(0, code_limit, page_size)]
