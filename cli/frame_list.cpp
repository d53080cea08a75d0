#include "cli/frame_list.h"

#include <charconv>
#include <cstdio>
#include <regex>

namespace cli {

namespace {

std::optional<int> parseInt(const std::string &text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// One element: "7", "7-20" or "7-20x2" (negative frames are written "-5" or "-5--1").
bool appendRange(const std::string &element, std::vector<int> &frames) {
    static const std::regex range(R"((-?\d+)(?:-(-?\d+)(?:x(\d+))?)?)");
    std::smatch match;
    if (!std::regex_match(element, match, range)) {
        return false;
    }
    const std::optional<int> first = parseInt(match[1]);
    const std::optional<int> last = match[2].matched ? parseInt(match[2]) : first;
    const std::optional<int> step = match[3].matched ? parseInt(match[3]) : std::optional<int>(1);
    if (!first || !last || !step || *step < 1 || *last < *first || (*last - *first) / *step > 1000000) {
        return false;
    }
    for (long frame = *first; frame <= *last; frame += *step) {
        frames.push_back(static_cast<int>(frame));
    }
    return true;
}

const std::regex &patternExpression() {
    static const std::regex pattern(R"(#+|%(0?\d*)d)");
    return pattern;
}

} // namespace

std::optional<std::vector<int>> parseFrameList(const std::string &text) {
    std::vector<int> frames;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = text.find(',', start);
        const std::string element = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (!appendRange(element, frames)) {
            return std::nullopt;
        }
        if (comma == std::string::npos) {
            break;
        }
        start = comma + 1;
    }
    return frames;
}

bool hasFramePattern(const std::string &name) { return std::regex_search(name, patternExpression()); }

std::string expandFramePattern(const std::string &name, int frame) {
    std::smatch match;
    if (!std::regex_search(name, match, patternExpression())) {
        return name;
    }
    int width = 1;
    if (match.str(0)[0] == '#') {
        width = static_cast<int>(match.length(0));
    } else if (match[1].length() > 0) {
        width = std::stoi(match.str(1));
    }
    char number[32];
    std::snprintf(number, sizeof number, "%0*d", width, frame);
    return match.prefix().str() + number + match.suffix().str();
}

} // namespace cli
