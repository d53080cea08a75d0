// An image file as the tool opens it: every part (subimage) and MIP level described from the
// header, one part chosen to render, nothing of the pixels decoded or allocated yet, so the
// memory a file asks for can be weighed before it is spent.
#pragma once

#include "cli/picture.h"

#include <OpenImageIO/imageio.h>

#include <memory>
#include <string>
#include <vector>

namespace cli {

class ImageFile {
public:
    // `part`: empty for the first part, else its index from 0 or its name. Throws FileError
    // for a file that cannot be read, or whose chosen part holds no normal map.
    explicit ImageFile(const std::string &path, const std::string &part = "");

    // The chosen part at full resolution.
    const OIIO::ImageSpec &spec() const { return levels_[part_][0]; }
    int part() const { return part_; }
    // Every part's levels, the full resolution first.
    const std::vector<std::vector<OIIO::ImageSpec>> &levels() const { return levels_; }

    // The depth the file renders at when `requested` (0: the file decides).
    int depthFor(int requested) const { return requested != 0 ? requested : naturalDepth(spec().format); }
    // The bytes the chosen part's pixels take as a picture at a depth.
    std::size_t pictureBytes(int depth) const;
    // The most one level of another part takes as stored: parts kept beside the rendered one
    // are copied a level at a time.
    std::size_t largestCopyBytes() const;

    // Decodes the chosen part's full resolution at a depth (0: the file decides). Throws FileError.
    Picture decode(int depth);

    // The open file, for decoders that read it a strip of rows at a time.
    OIIO::ImageInput &input() { return *input_; }

private:
    std::unique_ptr<OIIO::ImageInput> input_;
    std::vector<std::vector<OIIO::ImageSpec>> levels_;
    int part_ = 0;
};

// A part's name as the file gives it, or its index when it has none.
std::string partName(const OIIO::ImageSpec &spec, int index);

} // namespace cli
