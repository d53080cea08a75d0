"""Reads a macOS resource file in its data-fork form (big-endian): a 16-byte header, zeros up to the data
area at 256, each resource there as a 32-bit length and its bytes, then the map. Raises FormatError
where an offset or length does not add up, since a host that finds one ignores the whole file."""
from dataclasses import dataclass

from binary import FormatError, unpack

DATA_OFFSET = 256
HEADER_SIZE = 16
TYPE_LIST_OFFSET = 28  # in the map, after the header copy, next-map handle, file reference, attributes, list offsets
TYPE_ENTRY_SIZE = 8
REFERENCE_SIZE = 12
NO_NAME = 0xFFFF


@dataclass
class Resource:
    type: str
    id: int
    name: str | None
    data: bytes


def read(data):
    data_offset, map_offset, data_length, map_length = unpack(">4I", data, 0, "header")
    if data_offset != DATA_OFFSET or any(data[HEADER_SIZE:DATA_OFFSET]):
        raise FormatError(f"data area at {data_offset}, expected {DATA_OFFSET} after a header and zeros")
    if map_offset != data_offset + data_length or map_offset + map_length != len(data):
        raise FormatError(f"data area {data_offset}+{data_length} and map {map_offset}+{map_length} do not "
                          f"follow each other to the file's end at {len(data)}")
    area, resource_map = data[data_offset:map_offset], data[map_offset:]
    if resource_map[:HEADER_SIZE] != data[:HEADER_SIZE]:
        raise FormatError("the map's copy of the header differs from the header")
    fields = unpack(">IHHHH", resource_map, HEADER_SIZE, "map")
    if fields[:4] != (0, 0, 0, TYPE_LIST_OFFSET):
        raise FormatError(f"map fields {fields[:4]}, expected (0, 0, 0, {TYPE_LIST_OFFSET})")
    name_list = fields[4]
    (types,) = unpack(">H", resource_map, TYPE_LIST_OFFSET, "type count")
    resources, extents, names_end = [], [], 0
    references = 2 + TYPE_ENTRY_SIZE * (types + 1)
    for entry in range(types + 1):
        code, count, offset = unpack(">4sHH", resource_map, TYPE_LIST_OFFSET + 2 + TYPE_ENTRY_SIZE * entry, "type")
        if offset != references:
            raise FormatError(f"references of {code!r} at {offset} in the type list, expected {references}")
        for _ in range(count + 1):
            number, name_offset, _, offset_high, offset_low, reserved = unpack(
                ">HHBBHI", resource_map, TYPE_LIST_OFFSET + references, "reference")
            at = offset_high << 16 | offset_low
            (length,) = unpack(">I", area, at, f"length of {code!r} {number}")
            if at + 4 + length > len(area) or reserved:
                raise FormatError(f"{code!r} {number}: {length} bytes at {at} overrun the data area "
                                  f"({len(area)} bytes), or reserved field {reserved:#x} is not 0")
            name = None
            if name_offset != NO_NAME:
                name, end = pascal_string(resource_map, name_list + name_offset)
                names_end = max(names_end, end)
            resources.append(Resource(code.decode("latin-1"), number, name, area[at + 4:at + 4 + length]))
            extents.append((at, at + 4 + length))
            references += REFERENCE_SIZE
    if name_list != TYPE_LIST_OFFSET + references or max(names_end, name_list) != map_length:
        raise FormatError(f"name list at {name_list} and map end at {map_length}, expected the names right after "
                          f"the references at {TYPE_LIST_OFFSET + references} and the map to end with them")
    # The resources must tile the data area: a gap, overlap or tail would be bytes no reader accounts for.
    position = 0
    for start, end in sorted(extents):
        if start != position:
            raise FormatError(f"a resource at {start} in the data area, expected one at {position}")
        position = end
    if position != data_length:
        raise FormatError(f"resources end at {position} in the {data_length}-byte data area")
    return resources


def pascal_string(data, offset):
    """The text and where it ends."""
    (size,) = unpack(">B", data, offset, "name")
    if offset + 1 + size > len(data):
        raise FormatError(f"name at {offset} runs past the end")
    return data[offset + 1:offset + 1 + size].decode("latin-1"), offset + 1 + size
