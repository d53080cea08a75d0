#include "cli/atomic_write.h"

#include "cli/picture.h"

#include <filesystem>
#include <system_error>

namespace cli {

namespace {

std::string temporaryPathFor(const std::filesystem::path &target) {
    return (target.parent_path() / ("." + target.stem().string() + ".zephyrine-partial" + target.extension().string()))
        .string();
}

} // namespace

OIIO::TypeDesc typeForDepth(int depth) {
    return depth == 8 ? OIIO::TypeDesc::UINT8 : depth == 16 ? OIIO::TypeDesc::UINT16 : OIIO::TypeDesc::FLOAT;
}

void writeAtomically(const std::string &path, OIIO::ImageSpec spec,
                     const std::function<bool(OIIO::ImageOutput &)> &writePixels) {
    const std::filesystem::path target(path);
    auto output = OIIO::ImageOutput::create(path);
    if (!output) {
        throw FileError("no image format for this name: " + OIIO::geterror());
    }
    // An output pattern may name a folder that is not there yet (one per shot, say).
    if (target.has_parent_path()) {
        std::error_code error;
        std::filesystem::create_directories(target.parent_path(), error);
        if (error) {
            throw FileError("cannot create its folder: " + error.message());
        }
    }
    spec.attribute("oiio:UnassociatedAlpha", 1);
    spec.attribute("oiio:dither", 0);
    const std::string partial = temporaryPathFor(target);
    const auto fail = [&](const std::string &reason) {
        std::error_code ignored;
        std::filesystem::remove(partial, ignored);
        throw FileError(reason);
    };
    if (!output->open(partial, spec)) {
        fail("cannot write it: " + output->geterror());
    }
    const bool written = writePixels(*output);
    const bool closed = output->close();
    if (!written || !closed) {
        fail("cannot write it: " + output->geterror());
    }
    std::error_code error;
    std::filesystem::rename(partial, target, error);
    if (error) {
        fail("cannot put it in place: " + error.message());
    }
}

} // namespace cli
