// The plug-in property list (PiPL) the host reads from the module's resources before it calls
// any code: built at compile time from the same identity constants the run-time answers use.
// One sequence of properties serves both platforms; only their resource tools' byte layouts
// and the entry-point properties differ.
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

enum class Form {
    windows, // as the Windows resource compiler writes it: little-endian words
    macos,   // as Rez writes it: big-endian, codes in reading order
};

namespace detail {

constexpr std::size_t paddedToFour(std::size_t length) { return (length + 3) / 4 * 4; }

// Counts a list's bytes, so that its array can be sized before it is written.
struct Counter {
    std::size_t at = 0;
    constexpr void put(uint8_t) { ++at; }
};

template <std::size_t Size> struct Bytes {
    std::array<uint8_t, Size> bytes{};
    std::size_t at = 0;
    constexpr void put(uint8_t value) { bytes[at++] = value; }
};

template <Form form, class Sink> class Encoder {
public:
    constexpr explicit Encoder(Sink &sink) : sink_(sink) {}

    constexpr void u8(uint8_t value) { sink_.put(value); }
    constexpr void u16(uint16_t value) {
        const uint8_t high = static_cast<uint8_t>(value >> 8), low = static_cast<uint8_t>(value);
        u8(form == Form::windows ? low : high);
        u8(form == Form::windows ? high : low);
    }
    constexpr void u32(uint32_t value) {
        const uint16_t high = static_cast<uint16_t>(value >> 16), low = static_cast<uint16_t>(value);
        u16(form == Form::windows ? low : high);
        u16(form == Form::windows ? high : low);
    }
    // A four-character code is a 32-bit word: little-endian, its bytes come reversed
    // ("8BIM" as "MIB8").
    constexpr void code(std::string_view four) {
        for (std::size_t i = 0; i < 4; ++i) {
            u8(static_cast<uint8_t>(four[form == Form::windows ? 3 - i : i]));
        }
    }
    constexpr void zeros(std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            u8(0);
        }
    }
    // A property's header; `length` is what the record says its data takes. The data follows,
    // then `finish` pads it with zeros to a multiple of four.
    constexpr void header(std::string_view key, std::size_t length) {
        code("8BIM");
        code(key);
        u32(0);
        u32(static_cast<uint32_t>(length));
    }
    constexpr void finish(std::size_t written) { zeros(paddedToFour(written) - written); }

    // A length byte and the text. The Windows records count the padding as data; Rez counts
    // the text and its length byte only.
    constexpr void pascalString(std::string_view key, std::string_view text) {
        const std::size_t length = 1 + text.size();
        header(key, form == Form::windows ? paddedToFour(length) : length);
        u8(static_cast<uint8_t>(text.size()));
        for (char c : text) {
            u8(static_cast<uint8_t>(c));
        }
        finish(length);
    }
    // The text and a terminating zero, padded; the padded length is recorded.
    constexpr void cString(std::string_view key, std::string_view text) {
        const std::size_t length = paddedToFour(text.size() + 1);
        header(key, length);
        for (char c : text) {
            u8(static_cast<uint8_t>(c));
        }
        zeros(length - text.size());
    }
    constexpr void word(std::string_view key, uint32_t value) {
        header(key, 4);
        u32(value);
    }
    constexpr void halves(std::string_view key, uint16_t first, uint16_t second) {
        header(key, 4);
        u16(first);
        u16(second);
    }

private:
    Sink &sink_;
};

// Windows has one entry point property; macOS one per processor.
constexpr uint32_t propertyCount(Form form) { return form == Form::windows ? 12 : 13; }

template <Form form, class Sink> constexpr void writeList(Sink &sink) {
    Encoder<form, Sink> w(sink);
    if (form == Form::windows) {
        w.u16(1); // resource format version
    }
    w.u32(0); // property list version
    w.u32(propertyCount(form));

    w.header("kind", 4);
    w.code("eFKT"); // an effect
    w.pascalString("name", identity::kEffectName);
    w.pascalString("catg", identity::kCategory);
    if (form == Form::windows) {
        w.cString("8664", kEntryPointName); // 64-bit Windows
    } else {
        w.pascalString("mi64", kEntryPointName); // 64-bit Intel macOS
        w.pascalString("ma64", kEntryPointName); // Apple silicon
    }
    w.halves("ePVR", 2, 0); // property list version 2.0
    w.halves("eSVR", identity::kEffectSpecMajor, identity::kEffectSpecMinor); // the API it is written against
    w.word("eVER", identity::kVersionWord);
    w.header("eINF", 2);
    w.u16(3);
    w.finish(2);
    w.word("eGLO", static_cast<uint32_t>(identity::kOutFlags));
    w.word("eGL2", static_cast<uint32_t>(identity::kOutFlags2));
    w.pascalString("eMNA", identity::kMatchName);
    w.word("aeFL", 0);
}

template <Form form> constexpr std::size_t sizeOf() {
    Counter counter;
    writeList<form>(counter);
    return counter.at;
}

template <Form form> constexpr auto build() {
    Bytes<sizeOf<form>()> list;
    writeList<form>(list);
    return list.bytes;
}

} // namespace detail

inline constexpr auto kBytes = detail::build<Form::windows>();
inline constexpr auto kMacBytes = detail::build<Form::macos>();
static_assert(kBytes.size() == 290 && kMacBytes.size() == 320);

} // namespace pipl
