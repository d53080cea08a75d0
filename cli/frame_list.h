// Frame lists as render farms hand them out ("1-100", "1-3,5,7-20x2") and file-name patterns
// with a frame number ("shot.####.exr", "shot.%04d.exr").
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace cli {

// The frames of a list, in the order given; nullopt when the text is not a frame list.
std::optional<std::vector<int>> parseFrameList(const std::string &text);

// True when the name holds a frame pattern (a run of '#' or a printf-style %d / %0Nd).
bool hasFramePattern(const std::string &name);

// The name with its frame pattern replaced by the frame, zero-padded to the pattern's width.
std::string expandFramePattern(const std::string &name, int frame);

} // namespace cli
