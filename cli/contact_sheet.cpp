#include "cli/contact_sheet.h"

#include <OpenImageIO/imagebufalgo.h>

#include <algorithm>
#include <filesystem>

namespace cli {

namespace {

constexpr int kGap = 6;

// Captions grow with the panels, so they stay legible when a wide sheet is shown shrunk.
int fontSizeFor(int side) { return std::max(18, side / 16); }
int captionHeightFor(int side) { return fontSizeFor(side) * 5 / 3; }

} // namespace

std::string captionFont() {
    const char *path = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    if (!std::filesystem::exists(path)) {
        throw FileError(std::string("no font for the captions at ") + path + ": install fonts-dejavu-core");
    }
    return path;
}

ContactSheet::ContactSheet(int columns, int rows, int side)
    : side_(side), sheet_(OIIO::ImageSpec(columns * (side + kGap) + kGap,
                                          rows * (side + captionHeightFor(side) + kGap) + kGap, 3,
                                          OIIO::TypeDesc::UINT8)) {
    const float background[3] = {0.13f, 0.13f, 0.13f};
    OIIO::ImageBufAlgo::fill(sheet_, background);
}

void ContactSheet::place(int column, int row, const Picture &picture, const std::string &caption) {
    OIIO::ImageSpec spec(picture.width(), picture.height(), 4, OIIO::TypeDesc::UINT8);
    const OIIO::ImageBuf full(spec, const_cast<unsigned char *>(picture.rgba.data()));
    OIIO::ImageBuf panel;
    if (!OIIO::ImageBufAlgo::resample(panel, full, false, OIIO::ROI(0, side_, 0, side_, 0, 1, 0, 3))) {
        throw FileError("cannot shrink a panel: " + panel.geterror());
    }
    const int captionHeight = captionHeightFor(side_);
    const int left = kGap + column * (side_ + kGap);
    const int top = kGap + row * (side_ + captionHeight + kGap);
    if (!OIIO::ImageBufAlgo::paste(sheet_, left, top + captionHeight, 0, 0, panel)) {
        throw FileError("cannot place a panel: " + sheet_.geterror());
    }
    const float white[3] = {1.0f, 1.0f, 1.0f};
    if (!OIIO::ImageBufAlgo::render_text(sheet_, left + 2, top + captionHeight * 3 / 4, caption, fontSizeFor(side_),
                                         captionFont(), white)) {
        throw FileError("cannot draw the caption \"" + caption + "\": " + sheet_.geterror());
    }
}

void ContactSheet::write(const std::string &path) const {
    Picture picture;
    picture.spec = OIIO::ImageSpec(sheet_.spec().width, sheet_.spec().height, 3, OIIO::TypeDesc::UINT8);
    picture.depth = 8;
    picture.rgba.resize(static_cast<std::size_t>(picture.width()) * static_cast<std::size_t>(picture.height()) * 4,
                        255);
    // The picture's pixels are RGBA whatever the file holds; alpha stays opaque.
    if (!sheet_.get_pixels(sheet_.roi(), OIIO::TypeDesc::UINT8, picture.rgba.data(), 4)) {
        throw FileError("cannot read the sheet back: " + sheet_.geterror());
    }
    writePicture(path, picture);
}

} // namespace cli
