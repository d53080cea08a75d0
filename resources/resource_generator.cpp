// Build tool: writes the property list and the module's version resource, from the identity
// constants the run-time answers use.
//   resource_generator windows PIPL_OUTPUT VERSION_RC_OUTPUT   the list's bytes for windres, and
//                                                              the version resource's script
//   resource_generator macos RSRC_OUTPUT                       the bundle's resource file
#include "identity/identity.h"
#include "resources/pipl.h"
#include "resources/resource_file.h"

#include <cstdio>
#include <string>

namespace {

template <std::size_t Size> bool writeBytes(const char *path, const std::array<uint8_t, Size> &bytes) {
    std::FILE *out = std::fopen(path, "wb");
    if (out == nullptr) {
        std::perror(path);
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && written;
}

// The four-part version, "1.0.0.0" or "1,0,0,0".
std::string version(const char *separator) {
    return std::to_string(identity::kVersionMajor) + separator + std::to_string(identity::kVersionMinor) +
           separator + std::to_string(identity::kVersionBugfix) + separator + "0";
}

std::string versionResource() {
    const auto value = [](const char *name, const std::string &text) {
        return std::string("            VALUE \"") + name + "\", \"" + text + "\"\n";
    };
    // A DLL for Windows NT, US English in Unicode (0x409, code page 1200).
    return "1 VERSIONINFO\n"
           "FILEVERSION " + version(",") + "\n"
           "PRODUCTVERSION " + version(",") + "\n"
           "FILEFLAGSMASK 0x3F\n"
           "FILEFLAGS 0\n"
           "FILEOS 0x40004\n"
           "FILETYPE 2\n"
           "FILESUBTYPE 0\n"
           "BEGIN\n"
           "    BLOCK \"StringFileInfo\"\n"
           "    BEGIN\n"
           "        BLOCK \"040904B0\"\n"
           "        BEGIN\n" +
           value("CompanyName", identity::kCompanyName) + value("FileDescription", identity::kFileDescription) +
           value("FileVersion", version(".")) + value("InternalName", identity::kEffectName) +
           value("LegalCopyright", identity::kCopyright) + value("OriginalFilename", identity::kShippedFileName) +
           value("ProductName", identity::kEffectName) + value("ProductVersion", version(".")) +
           "        END\n"
           "    END\n"
           "    BLOCK \"VarFileInfo\"\n"
           "    BEGIN\n"
           "        VALUE \"Translation\", 0x409, 1200\n"
           "    END\n"
           "END\n";
}

bool writeText(const char *path, const std::string &text) {
    std::FILE *out = std::fopen(path, "w");
    if (out == nullptr) {
        std::perror(path);
        return false;
    }
    const bool written = std::fputs(text.c_str(), out) >= 0;
    return std::fclose(out) == 0 && written;
}

} // namespace

int main(int argc, char **argv) {
    const std::string form = argc > 1 ? argv[1] : "";
    if (form == "windows" && argc == 4) {
        return writeBytes(argv[2], pipl::kBytes) && writeText(argv[3], versionResource()) ? 0 : 1;
    }
    if (form == "macos" && argc == 3) {
        static constexpr auto file = resource_file::build("PiPL", pipl::kResourceId, pipl::kMacBytes);
        return writeBytes(argv[2], file) ? 0 : 1;
    }
    std::fprintf(stderr, "usage: resource_generator windows PIPL_OUTPUT VERSION_RC_OUTPUT\n"
                         "       resource_generator macos RSRC_OUTPUT\n");
    return 2;
}
