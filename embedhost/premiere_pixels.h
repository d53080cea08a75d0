// The colour answers of Premiere Pro's pixel format suite: black, white and a colour, written
// as one pixel of a format. They carry no effect reference and need no host state.
#pragma once

#include "api/effect_api.h"

namespace embedhost {

PF_Err blackPixel(PrPixelFormat format, void *pixel);
PF_Err whitePixel(PrPixelFormat format, void *pixel);
PF_Err convertColorToPixel(PrPixelFormat format, float alpha, float red, float green, float blue, void *pixel);

} // namespace embedhost
