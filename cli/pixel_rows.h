// The tool's in-memory pictures (always four channels) and the host library: into a world and
// back, rendered through an instance, and their lengths measured.
#pragma once

#include "cli/picture.h"
#include "embedhost/effect_instance.h"
#include "embedhost/length_check.h"
#include "embedhost/world.h"

namespace cli {

void pictureToWorld(const Picture &picture, embedhost::World &world);
void worldToPicture(embedhost::World &rendered, Picture &picture);
// Renders a picture in place through the instance; its alpha is kept. Throws RenderError.
void renderPicture(embedhost::EffectInstance &instance, Picture &picture);

// The picture's pixels as the length check reads them.
embedhost::ImagePixels imagePixels(const Picture &picture);
// How far its vectors are from unit length, with the tolerance of the file's own format.
embedhost::LengthStats measureLengths(const Picture &picture, bool traditional);

} // namespace cli
