"""What every reader here shares: fixed-layout fields read with bounds checked, so a short or damaged
file reports where it broke instead of raising struct.error."""
import struct


class FormatError(Exception):
    pass


def unpack(layout, data, offset, what):
    if offset < 0 or offset + struct.calcsize(layout) > len(data):
        raise FormatError(f"{what} at {offset} runs past the end ({len(data)} bytes)")
    return struct.unpack_from(layout, data, offset)
