#include "cli/atomic_write.h"

#include <filesystem>
#include <system_error>

namespace cli {

namespace {

std::string temporaryPathFor(const std::filesystem::path &target) {
    return (target.parent_path() / ("." + target.stem().string() + ".zephyrine-partial" + target.extension().string()))
        .string();
}

// Pixels are data: never premultiplied, never dithered on the way to fewer bits.
OIIO::ImageSpec asData(OIIO::ImageSpec spec) {
    spec.attribute("oiio:UnassociatedAlpha", 1);
    spec.attribute("oiio:dither", 0);
    return spec;
}

} // namespace

PartialFile::PartialFile(const std::string &path) : target_(path), partial_(temporaryPathFor(path)) {
    output_ = OIIO::ImageOutput::create(path);
    if (!output_) {
        throw OutputError("no image format for this name: " + OIIO::geterror());
    }
    // An output pattern may name a folder that is not there yet (one per shot, say).
    const std::filesystem::path target(path);
    if (target.has_parent_path()) {
        std::error_code error;
        std::filesystem::create_directories(target.parent_path(), error);
        if (error) {
            throw OutputError("cannot create its folder: " + error.message());
        }
    }
}

PartialFile::~PartialFile() {
    if (opened_) {
        output_->close();
        std::error_code ignored;
        std::filesystem::remove(partial_, ignored);
    }
}

void PartialFile::open(std::vector<OIIO::ImageSpec> parts) {
    for (OIIO::ImageSpec &part : parts) {
        part = asData(part);
    }
    opened_ = true;
    check(output_->open(partial_, static_cast<int>(parts.size()), parts.data()));
}

void PartialFile::openNext(OIIO::ImageSpec spec, OIIO::ImageOutput::OpenMode mode) {
    check(output_->open(partial_, asData(spec), mode));
}

void PartialFile::check(bool written) {
    if (!written) {
        throw OutputError("cannot write it: " + output_->geterror());
    }
}

void PartialFile::commit() {
    check(output_->close());
    std::error_code error;
    std::filesystem::rename(partial_, target_, error);
    if (error) {
        throw OutputError("cannot put it in place: " + error.message());
    }
    opened_ = false;
}

void writeAtomically(const std::string &path, const OIIO::ImageSpec &spec,
                     const std::function<bool(OIIO::ImageOutput &)> &writePixels) {
    PartialFile file(path);
    file.open({spec});
    file.check(writePixels(file.output()));
    file.commit();
}

} // namespace cli
