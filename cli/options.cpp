#include "cli/options.h"

#include "cli/frame_list.h"
#include "cli/memory_budget.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <map>

namespace cli {

const char *const kUsage =
    "usage: zephyrine-render [controls] INPUT -o OUTPUT\n"
    "       zephyrine-render [controls] INPUT... --outdir DIR\n"
    "       zephyrine-render --check [--fail-above SHARE] INPUT...\n"
    "       zephyrine-render --demo [DIR]\n";

const char *const kHelp =
    "Runs the Zephyrine effect, the plug-in module itself, on image files: every pixel's red,\n"
    "green and blue are read as a direction vector, optionally inverted and tilted, rescaled to\n"
    "unit length and written back.\n"
    "\n"
    "Controls (as in the host):\n"
    "  --tilt-forward F     tilt towards +z (blue), -1..1\n"
    "  --tilt-sideways F    tilt towards +x (red), -1..1\n"
    "  --tilt-upwards F     tilt towards +y (green), -1..1\n"
    "  --invert-x, --invert-y, --invert-z, --invert-all\n"
    "  --traditional        read the channels as the vector as they are (no 0..1 to -1..1)\n"
    "\n"
    "Files:\n"
    "  -o FILE              the output of a single input (or a frame pattern with --frames)\n"
    "  --outdir DIR         outputs keep the inputs' names in DIR (created if missing)\n"
    "  --frames LIST        expand INPUT's frame pattern (shot.####.exr, shot.%04d.exr) over\n"
    "                       LIST, e.g. 1-100 or 1-3,5,7-20x2\n"
    "  --no-clobber         skip outputs that exist\n"
    "  --in-place           allow writing over the input\n"
    "  --depth 8|16|32      render depth; by default 8-bit files render at 8 bits, 16-bit at\n"
    "                       16 and half or float at 32. At 16 bits the file's 0..65535 maps\n"
    "                       to the effect's 0..32768 and back, rounded to nearest.\n"
    "\n"
    "Pixels are data: alpha is read and written unassociated and kept as it is, with no colour\n"
    "conversion and no dither. The output keeps the input's format, channel type and metadata\n"
    "unless its name asks for another format. Outputs are written to a temporary file and\n"
    "renamed into place.\n"
    "\n"
    "Checking:\n"
    "  --check              write nothing; print how far the decoded vectors are from unit\n"
    "                       length: min, mean and max of |v|, and the share of pixels more\n"
    "                       than one code value from their normalised encoding (a code value\n"
    "                       is 1/255 for 8-bit files, the effect's 1/32768 (plus the file's\n"
    "                       rounding) for 16-bit files, 1/1024 for half and float)\n"
    "  --fail-above SHARE   with --check: exit 1 when a file's share (0..1) is above SHARE\n"
    "\n"
    "Lossy formats (JPEG, WebP) change the written values, so the vectors of such an output\n"
    "are not unit length again: a run that writes one says so on standard error.\n"
    "\n"
    "Batches:\n"
    "  --jobs N             work on N files at once (default: one per hardware thread this\n"
    "                       process may use, e.g. a farm task's allocation), each\n"
    "                       through the one loaded module; outputs are the same as with 1\n"
    "  --max-memory SIZE    the memory the files in flight may take together, e.g. 8G\n"
    "                       (default: what the system has available); a file that alone\n"
    "                       needs more is refused before anything of it is allocated\n"
    "\n"
    "Other:\n"
    "  --demo [DIR]         render a synthetic normal map at 8, 16 and 32 bits and with each\n"
    "                       control into DIR (out/), with captioned pictures\n"
    "  --plugin PATH        the module to load (default: zephyrine.so beside this tool, else\n"
    "                       ../lib/zephyrine/zephyrine.so from it, where the package puts it)\n"
    "  --quiet              no progress bar (warnings and errors are still printed)\n"
    "  --time               per file: decode, render (the effect through the entry point,\n"
    "                       copies included) and encode times, and the render's throughput\n"
    "\n"
    "Exit status: 0 done, 1 a file failed (the others are still done), 2 usage error.\n"
    "\n"
    "Examples:\n"
    "  zephyrine-render --tilt-forward 0.25 rock_normal.png -o rock_normal_tilted.png\n"
    "  zephyrine-render --invert-y --outdir fixed/ textures/*.tga\n"
    "  zephyrine-render shot.####.exr --frames 1001-1100 -o out/shot.####.exr\n"
    "  zephyrine-render --check --fail-above 0.01 textures/*.png\n";

namespace {

std::optional<double> parseNumber(const std::string &text) {
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

} // namespace

ParseResult parseOptions(const std::vector<std::string> &arguments) {
    ParseResult result;
    Options &o = result.options;
    Controls &c = o.controls;
    const std::map<std::string, bool *> flags = {
        {"--invert-x", &c.invertX},   {"--invert-y", &c.invertY},   {"--invert-z", &c.invertZ},
        {"--invert-all", &c.invertAll}, {"--traditional", &c.traditional}, {"--no-clobber", &o.noClobber},
        {"--in-place", &o.inPlace},   {"--quiet", &o.quiet},         {"--time", &o.time},
        {"--check", &o.check},        {"-h", &o.help},               {"--help", &o.help}};
    const std::map<std::string, double *> tilts = {
        {"--tilt-forward", &c.tiltForward}, {"--tilt-sideways", &c.tiltSideways}, {"--tilt-upwards", &c.tiltUpwards}};

    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string &argument = arguments[i];
        const auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= arguments.size()) {
                result.error = argument + " needs a value";
                return std::nullopt;
            }
            return arguments[++i];
        };
        if (auto flag = flags.find(argument); flag != flags.end()) {
            *flag->second = true;
        } else if (auto tilt = tilts.find(argument); tilt != tilts.end()) {
            const std::optional<std::string> text = value();
            const std::optional<double> number = text ? parseNumber(*text) : std::nullopt;
            if (!number || *number < -1.0 || *number > 1.0) {
                result.error = result.error.empty() ? argument + " takes a number from -1 to 1" : result.error;
                return result;
            }
            *tilt->second = *number;
        } else if (argument == "-o" || argument == "--outdir" || argument == "--plugin") {
            const std::optional<std::string> text = value();
            if (!text) {
                return result;
            }
            (argument == "-o" ? o.output : argument == "--outdir" ? o.outdir : o.plugin) = *text;
        } else if (argument == "--depth") {
            const std::optional<std::string> text = value();
            if (!text || (*text != "8" && *text != "16" && *text != "32")) {
                result.error = "--depth takes 8, 16 or 32";
                return result;
            }
            o.depth = std::stoi(*text);
        } else if (argument == "--frames") {
            const std::optional<std::string> text = value();
            o.frames = text ? parseFrameList(*text) : std::nullopt;
            if (!o.frames) {
                result.error = "--frames takes a list such as 1-100 or 1-3,5,7-20x2";
                return result;
            }
        } else if (argument == "--jobs") {
            const std::optional<std::string> text = value();
            const std::optional<double> number = text ? parseNumber(*text) : std::nullopt;
            if (!number || *number < 1.0 || *number > 1024.0 || *number != std::floor(*number)) {
                result.error = "--jobs takes a whole number from 1 to 1024";
                return result;
            }
            o.jobs = static_cast<int>(*number);
        } else if (argument == "--max-memory") {
            const std::optional<std::string> text = value();
            o.maxMemory = text ? parseMemorySize(*text) : std::nullopt;
            if (!o.maxMemory) {
                result.error = "--max-memory takes a size such as 512M, 8G or a number of bytes";
                return result;
            }
        } else if (argument == "--fail-above") {
            const std::optional<std::string> text = value();
            o.failAbove = text ? parseNumber(*text) : std::nullopt;
            if (!o.failAbove || *o.failAbove < 0.0 || *o.failAbove > 1.0) {
                result.error = "--fail-above takes a share from 0 to 1";
                return result;
            }
        } else if (argument == "--demo") {
            o.demo = true;
            if (i + 1 < arguments.size() && arguments[i + 1].rfind("-", 0) != 0) {
                o.demoDir = arguments[++i];
            }
        } else if (argument.size() > 1 && argument[0] == '-') {
            result.error = "unknown option " + argument;
            return result;
        } else {
            o.inputs.push_back(argument);
        }
    }

    if (o.help || o.demo) {
        return result;
    }
    if (o.inputs.empty()) {
        result.error = "no input files";
    } else if (o.failAbove && !o.check) {
        result.error = "--fail-above goes with --check";
    } else if (!o.check && o.output.empty() == o.outdir.empty()) {
        result.error = "give either -o OUTPUT or --outdir DIR";
    } else if (!o.output.empty() && (o.inputs.size() > 1 || (o.frames && !hasFramePattern(o.output)))) {
        result.error = o.frames ? "with --frames, -o must be a frame pattern too" : "-o takes one input; use --outdir";
    } else if (o.frames && o.inputs.size() != 1) {
        result.error = "--frames takes one input pattern";
    } else if (o.frames && !hasFramePattern(o.inputs[0])) {
        result.error = "--frames needs an input name with #### or %04d";
    }
    return result;
}

} // namespace cli
