// A macOS resource file in its data-fork form (what Rez -useDF writes), holding one resource
// without a name: the header, the data area, and the map through which the host finds it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace resource_file {

inline constexpr uint32_t kDataOffset = 256; // the header's 16 bytes and reserved zeros before it
inline constexpr uint16_t kTypeListOffset = 28; // from the map's start, after its own header
inline constexpr std::size_t kMapSize = 28 + 2 + 8 + 12; // header, type count, one type, one reference

template <std::size_t Size>
constexpr std::array<uint8_t, kDataOffset + 4 + Size + kMapSize> build(std::string_view type, uint16_t id,
                                                                        const std::array<uint8_t, Size> &data) {
    std::array<uint8_t, kDataOffset + 4 + Size + kMapSize> file{};
    std::size_t at = 0;
    const auto u8 = [&](uint32_t value) { file[at++] = static_cast<uint8_t>(value); };
    const auto u16 = [&](uint32_t value) {
        u8(value >> 8);
        u8(value);
    };
    const auto u32 = [&](uint32_t value) {
        u16(value >> 16);
        u16(value & 0xFFFF);
    };
    const uint32_t dataLength = static_cast<uint32_t>(4 + Size);
    const uint32_t mapOffset = kDataOffset + dataLength;
    const auto header = [&] {
        u32(kDataOffset);
        u32(mapOffset);
        u32(dataLength);
        u32(static_cast<uint32_t>(kMapSize));
    };

    header();
    at = kDataOffset;
    u32(static_cast<uint32_t>(Size));
    for (uint8_t byte : data) {
        u8(byte);
    }

    header(); // the map starts with a copy of it
    u32(0);   // next map (the Resource Manager's, in memory)
    u16(0);   // file reference number
    u16(0);   // attributes
    u16(kTypeListOffset);
    u16(static_cast<uint32_t>(kMapSize)); // the name list: empty, at the map's end
    u16(0);                               // one type, counted less one
    for (char c : type.substr(0, 4)) {
        u8(static_cast<uint8_t>(c));
    }
    u16(0);     // one resource of it, counted less one
    u16(2 + 8); // its reference list, from the type list's start
    u16(id);
    u16(0xFFFF); // no name
    u8(0);       // attributes
    u8(0);       // the data's offset in the data area, 24 bits: the first resource there
    u16(0);
    u32(0); // handle (the Resource Manager's, in memory)
    return file;
}

} // namespace resource_file
