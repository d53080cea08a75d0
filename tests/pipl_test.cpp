// The property list: its bytes, their agreement with the run-time answers, and (on Windows)
// the resource inside the DLL the host reads.
#include "expected_flags.h"
#include "resources/pipl.h"

#include "embedhost/plugin_module.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

struct Property {
    std::string key;
    std::vector<uint8_t> data;
};

uint32_t read32(const uint8_t *at) {
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
           static_cast<uint32_t>(at[3]) << 24;
}

std::string reversedCode(const uint8_t *at) { return {static_cast<char>(at[3]), static_cast<char>(at[2]),
                                                      static_cast<char>(at[1]), static_cast<char>(at[0])}; }

// Walks the records by their lengths and padding; fails the test on any inconsistency.
std::vector<Property> walk(const uint8_t *bytes, std::size_t size) {
    std::vector<Property> properties;
    EXPECT_EQ(bytes[0] | bytes[1] << 8, 1);
    EXPECT_EQ(read32(bytes + 2), 0u);
    const uint32_t count = read32(bytes + 6);
    std::size_t at = 10;
    for (uint32_t i = 0; i < count && at + 16 <= size; ++i) {
        EXPECT_EQ(reversedCode(bytes + at), "8BIM");
        EXPECT_EQ(read32(bytes + at + 8), 0u);
        const uint32_t length = read32(bytes + at + 12);
        properties.push_back({reversedCode(bytes + at + 4),
                              std::vector<uint8_t>(bytes + at + 16, bytes + at + 16 + length)});
        at += 16 + (length + 3) / 4 * 4;
    }
    EXPECT_EQ(at, size) << "the last record ends exactly at the end";
    return properties;
}

std::vector<uint8_t> le32(uint32_t value) {
    return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
            static_cast<uint8_t>(value >> 24)};
}

std::vector<uint8_t> textBytes(const std::string &text, std::size_t zeros, bool lengthPrefix) {
    std::vector<uint8_t> bytes;
    if (lengthPrefix) {
        bytes.push_back(static_cast<uint8_t>(text.size()));
    }
    for (char c : text) {
        bytes.push_back(static_cast<uint8_t>(c));
    }
    bytes.resize(bytes.size() + zeros, 0);
    return bytes;
}

void expectTheTwelveProperties(const uint8_t *bytes, std::size_t size) {
    const std::vector<Property> properties = walk(bytes, size);
    const std::vector<Property> expected = {
        {"kind", {'T', 'K', 'F', 'e'}},
        {"name", textBytes("Zephyrine", 2, true)},
        {"catg", textBytes("Mirovanth", 2, true)},
        {"8664", textBytes("EntryPointFunc", 2, false)},
        {"ePVR", {2, 0, 0, 0}},
        {"eSVR", {13, 0, kExpectedSpecMinor, 0}},
        {"eVER", le32(0x00080600)},
        {"eINF", {3, 0}},
        {"eGLO", le32(0x06000000)},
        {"eGL2", le32(kExpectedOutFlags2)},
        {"eMNA", textBytes("KVRT Zephyrine", 1, true)},
        {"aeFL", le32(0)},
    };
    ASSERT_EQ(properties.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].key);
        EXPECT_EQ(properties[i].key, expected[i].key);
        EXPECT_EQ(properties[i].data, expected[i].data);
    }
}

} // namespace

TEST(PropertyList, TwelveRecordsIn290Bytes) {
    ASSERT_EQ(pipl::kBytes.size(), 290u);
    expectTheTwelveProperties(pipl::kBytes.data(), pipl::kBytes.size());
    // The padding after the two-byte eINF is zero.
    const std::size_t afterInfo = 10 + 8 * 16 + (4 + 12 + 12 + 16 + 4 + 4 + 4) + 2;
    EXPECT_EQ(pipl::kBytes[afterInfo], 0);
    EXPECT_EQ(pipl::kBytes[afterInfo + 1], 0);
}

#if defined(_WIN32)
TEST(PropertyList, TheDllCarriesItAsResource16000) {
    HMODULE module = LoadLibraryA(embedhost::PluginModule::besideExecutable().c_str());
    ASSERT_NE(module, nullptr);
    HRSRC resource = FindResourceExA(module, "PIPL", MAKEINTRESOURCEA(pipl::kResourceId), pipl::kLanguage);
    ASSERT_NE(resource, nullptr);
    ASSERT_EQ(SizeofResource(module, resource), 290u);
    HGLOBAL loaded = LoadResource(module, resource);
    ASSERT_NE(loaded, nullptr);
    const auto *bytes = static_cast<const uint8_t *>(LockResource(loaded));
    expectTheTwelveProperties(bytes, 290);
    EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 290), std::vector<uint8_t>(pipl::kBytes.begin(), pipl::kBytes.end()));
    FreeLibrary(module);
}
#endif
