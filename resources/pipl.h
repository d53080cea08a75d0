// The plug-in property list (PiPL) the host reads from the module's resources before it calls
// any code: built at compile time from the same identity constants the run-time answers use.
#pragma once

#include "api/effect_api.h"
#include "identity/identity.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace pipl {

inline constexpr uint16_t kResourceId = 16000;
inline constexpr uint16_t kLanguage = 1033; // English (United States)
inline constexpr std::size_t kPropertyCount = 12;

namespace detail {

constexpr std::size_t paddedToFour(std::size_t length) { return (length + 3) / 4 * 4; }

// The data lengths of the twelve properties, in order.
constexpr std::array<std::size_t, kPropertyCount> kDataLengths = {
    4,                                                               // kind
    paddedToFour(1 + std::string_view(identity::kEffectName).size()), // name
    paddedToFour(1 + std::string_view(identity::kCategory).size()),   // catg
    paddedToFour(std::string_view(kEntryPointName).size() + 1),       // 8664
    4, 4, 4,                                                          // ePVR, eSVR, eVER
    2,                                                                // eINF (two zero bytes follow)
    4, 4,                                                             // eGLO, eGL2
    paddedToFour(1 + std::string_view(identity::kMatchName).size()), // eMNA
    4,                                                                // aeFL
};

constexpr std::size_t totalSize() {
    std::size_t size = 10;
    for (std::size_t length : kDataLengths) {
        size += 16 + paddedToFour(length);
    }
    return size;
}

class Writer {
public:
    constexpr void u8(uint8_t value) { bytes[at++] = value; }
    constexpr void u16(uint16_t value) {
        u8(static_cast<uint8_t>(value));
        u8(static_cast<uint8_t>(value >> 8));
    }
    constexpr void u32(uint32_t value) {
        u16(static_cast<uint16_t>(value));
        u16(static_cast<uint16_t>(value >> 16));
    }
    // Four-character codes are stored with their bytes reversed ("8BIM" as "MIB8").
    constexpr void code(std::string_view four) {
        for (std::size_t i = 4; i > 0; --i) {
            u8(static_cast<uint8_t>(four[i - 1]));
        }
    }
    constexpr void zeros(std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            u8(0);
        }
    }
    constexpr void header(std::string_view key, std::size_t length) {
        code("8BIM");
        code(key);
        u32(0);
        u32(static_cast<uint32_t>(length));
    }
    // A length byte, the text, zeros up to the padded length.
    constexpr void pascalString(std::string_view key, std::string_view text) {
        const std::size_t length = paddedToFour(1 + text.size());
        header(key, length);
        u8(static_cast<uint8_t>(text.size()));
        for (char c : text) {
            u8(static_cast<uint8_t>(c));
        }
        zeros(length - 1 - text.size());
    }

    std::array<uint8_t, totalSize()> bytes{};
    std::size_t at = 0;
};

} // namespace detail

inline constexpr std::size_t kSize = detail::totalSize();

constexpr std::array<uint8_t, kSize> build() {
    detail::Writer w;
    w.u16(1); // resource format version
    w.u32(0); // property list version
    w.u32(kPropertyCount);

    w.header("kind", 4);
    w.code("eFKT"); // an effect
    w.pascalString("name", identity::kEffectName);
    w.pascalString("catg", identity::kCategory);

    const std::string_view entry = kEntryPointName;
    const std::size_t entryLength = detail::paddedToFour(entry.size() + 1);
    w.header("8664", entryLength); // the 64-bit Windows entry point, zero-terminated
    for (char c : entry) {
        w.u8(static_cast<uint8_t>(c));
    }
    w.zeros(entryLength - entry.size());

    w.header("ePVR", 4); // property list version 2.0
    w.u16(2);
    w.u16(0);
    w.header("eSVR", 4); // the effect-API version it is written against
    w.u16(identity::kEffectSpecMajor);
    w.u16(identity::kEffectSpecMinor);
    w.header("eVER", 4);
    w.u32(identity::kVersionWord);
    w.header("eINF", 2);
    w.u16(3);
    w.zeros(2);
    w.header("eGLO", 4);
    w.u32(static_cast<uint32_t>(identity::kOutFlags));
    w.header("eGL2", 4);
    w.u32(static_cast<uint32_t>(identity::kOutFlags2));
    w.pascalString("eMNA", identity::kMatchName);
    w.header("aeFL", 4);
    w.u32(0);
    return w.bytes;
}

inline constexpr std::array<uint8_t, kSize> kBytes = build();
static_assert(kSize == 290);

} // namespace pipl
