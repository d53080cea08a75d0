// Pictures laid out in a grid, each under a caption drawn into the image itself, so a picture
// in the documentation says what it shows wherever it is viewed. Written as 8-bit RGB.
#pragma once

#include "cli/picture.h"

#include <OpenImageIO/imagebuf.h>

#include <string>

namespace cli {

// The font the captions are drawn in (from Debian's fonts-dejavu-core). Throws FileError when
// it is not installed: a picture without its labels would say nothing.
std::string captionFont();

class ContactSheet {
public:
    // A sheet of columns x rows panels, each `side` pixels square.
    ContactSheet(int columns, int rows, int side);

    // Puts an 8-bit picture, shrunk to the panel by picking pixels (no filtering: the panel
    // shows the stored values), into a cell, its caption above it.
    void place(int column, int row, const Picture &picture, const std::string &caption);

    void write(const std::string &path) const;

private:
    int side_;
    OIIO::ImageBuf sheet_;
};

} // namespace cli
