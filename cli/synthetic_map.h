// The demo's synthetic normal map: a few shapes on rippled ground, their vectors scaled by a
// smoothly varying length from 0.7 to 1.3, so the map is deliberately not normalised.
#pragma once

#include "cli/picture.h"

namespace cli {

inline constexpr int kSyntheticSide = 1024;

// How the map stores its vectors: as (v + 1) / 2 per channel, or, the traditional format,
// as the components themselves (negative ones, which a channel cannot hold, stored as 0).
enum class MapStorage { standard, traditional };

// The map at a render depth (8, 16 or 32); float pictures are described as 16-bit files,
// which is how the demo writes them.
Picture syntheticMap(int depth, MapStorage storage = MapStorage::standard);

// A black picture at a render depth, described as an 8- or 16-bit file of `channels`.
Picture blankPicture(int width, int height, int depth, int channels);

} // namespace cli
