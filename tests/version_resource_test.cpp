// The module's version resource, read back through the Windows API as Explorer and installers
// read it, from the built module and from the stripped one that ships.
#include "identity/identity.h"
#include "platform/module.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

std::vector<char> versionInfoOf(const std::string &path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    std::vector<char> info(size);
    if (size == 0 || !GetFileVersionInfoA(path.c_str(), 0, size, info.data())) {
        info.clear();
    }
    return info;
}

std::string stringValue(std::vector<char> &info, const std::string &name) {
    void *value = nullptr;
    UINT length = 0;
    const std::string query = "\\StringFileInfo\\040904B0\\" + name;
    if (!VerQueryValueA(info.data(), query.c_str(), &value, &length) || length == 0) {
        return "(missing)";
    }
    return std::string(static_cast<const char *>(value));
}

std::vector<std::string> modules() {
    const std::string bin = platform::executableDirectory();
    return {bin + "\\zephyrine.dll", bin + "\\..\\release\\Zephyrine.aex"};
}

} // namespace

TEST(VersionResource, NamesTheProductVersionAndMakerOfEveryModule) {
    for (const std::string &path : modules()) {
        SCOPED_TRACE(path);
        std::vector<char> info = versionInfoOf(path);
        ASSERT_FALSE(info.empty()) << "no version resource";

        VS_FIXEDFILEINFO *fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void **>(&fixed), &length));
        ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
        EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
        const DWORD high = MAKELONG(identity::kVersionMinor, identity::kVersionMajor);
        const DWORD low = MAKELONG(0, identity::kVersionBugfix);
        EXPECT_EQ(fixed->dwFileVersionMS, high);
        EXPECT_EQ(fixed->dwFileVersionLS, low);
        EXPECT_EQ(fixed->dwProductVersionMS, high);
        EXPECT_EQ(fixed->dwProductVersionLS, low);
        EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
        EXPECT_EQ(high, 0x00010000u) << "version 1.0.0.0";

        EXPECT_EQ(stringValue(info, "FileVersion"), "1.0.0.0");
        EXPECT_EQ(stringValue(info, "ProductVersion"), "1.0.0.0");
        EXPECT_EQ(stringValue(info, "ProductName"), identity::kEffectName);
        EXPECT_EQ(stringValue(info, "CompanyName"), "Corvanthis");
        EXPECT_EQ(stringValue(info, "CompanyName"), identity::kCompanyName);
        EXPECT_EQ(stringValue(info, "FileDescription"), identity::kFileDescription);
        EXPECT_EQ(stringValue(info, "OriginalFilename"), "Zephyrine.aex");
        EXPECT_EQ(stringValue(info, "LegalCopyright"), identity::kCopyright);
        EXPECT_NE(stringValue(info, "LegalCopyright").find("2026"), std::string::npos);

        struct Translation {
            WORD language, codePage;
        } *translation = nullptr;
        ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void **>(&translation),
                                   &length));
        EXPECT_EQ(translation->language, 0x409);
        EXPECT_EQ(translation->codePage, 1200);
    }
}
