// Build tool: writes the property list bytes, and the module's version resource as resource
// script text, both from the identity constants the run-time answers use.
//   resource_generator PIPL_OUTPUT VERSION_RC_OUTPUT
#include "identity/identity.h"
#include "resources/pipl.h"

#include <cstdio>
#include <string>

namespace {

bool writePropertyList(const char *path) {
    std::FILE *out = std::fopen(path, "wb");
    if (out == nullptr) {
        std::perror(path);
        return false;
    }
    const bool written = std::fwrite(pipl::kBytes.data(), 1, pipl::kBytes.size(), out) == pipl::kBytes.size();
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
    if (argc != 3) {
        std::fprintf(stderr, "usage: resource_generator PIPL_OUTPUT VERSION_RC_OUTPUT\n");
        return 2;
    }
    return writePropertyList(argv[1]) && writeText(argv[2], versionResource()) ? 0 : 1;
}
