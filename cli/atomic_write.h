// Writing an image file so that no reader ever sees half of it: into a temporary file beside
// the target (in a folder made if missing), renamed into place once complete.
#pragma once

#include "cli/picture.h"

#include <OpenImageIO/imageio.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace cli {

// A file that cannot be written: the error concerns the output, not the input.
struct OutputError : FileError {
    using FileError::FileError;
};

// An output file being written. Its temporary file is renamed into place by commit(); until
// then destruction removes it, so an error or an abandoned file leaves nothing behind. Every
// spec it opens is written with alpha unassociated and no dither. Throws OutputError.
class PartialFile {
public:
    explicit PartialFile(const std::string &path);
    ~PartialFile();
    PartialFile(const PartialFile &) = delete;
    PartialFile &operator=(const PartialFile &) = delete;

    // What the target's format can hold ("tiles", "mipmap", "multiimage", "alpha", ...).
    bool supports(const char *feature) const { return output_->supports(feature) != 0; }
    const char *formatName() const { return output_->format_name(); }

    // Opens the file with every part it will hold (only the first is written first).
    void open(std::vector<OIIO::ImageSpec> parts);
    // Moves on to the next part, or to the next MIP level of the part being written.
    void openNext(OIIO::ImageSpec spec, OIIO::ImageOutput::OpenMode mode);
    OIIO::ImageOutput &output() { return *output_; }
    // Throws OutputError naming the writer's error unless `written`.
    void check(bool written);

    // Closes the file and renames it into place.
    void commit();

private:
    std::string target_, partial_;
    std::unique_ptr<OIIO::ImageOutput> output_;
    bool opened_ = false;
};

// One image in one piece: opens the temporary file with `spec`, lets `writePixels` write it,
// closes and renames. Throws OutputError naming what failed; nothing is left behind.
void writeAtomically(const std::string &path, const OIIO::ImageSpec &spec,
                     const std::function<bool(OIIO::ImageOutput &)> &writePixels);

} // namespace cli
