// The command line, read with CLI11 rather than cxxopts: CLI11 is header-only in Debian, takes
// --opt=value as well as --opt value, groups options in the help, has a version flag and value
// checks of its own, and reports every error as an exception with an exit code we map to ours.
// The value checks here are option callbacks, so that each message stays in our own words.
#include "cli/options.h"

#include "cli/frame_list.h"
#include "cli/memory_budget.h"
#include "identity/identity.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>

namespace cli {

const char *const kUsage =
    "usage: zephyrine-render [controls] INPUT -o OUTPUT\n"
    "       zephyrine-render [controls] INPUT... --outdir DIR\n"
    "       zephyrine-render --check [--fail-above SHARE] INPUT...\n"
    "       zephyrine-render --demo [DIR]\n";

namespace {

const char *const kDescription =
    "Runs the Zephyrine effect, the plug-in module itself, on image files: every pixel's red,\n"
    "green and blue are read as a direction vector, optionally inverted and tilted, rescaled to\n"
    "unit length and written back.\n";

const char *const kFooter =
    "\n"
    "Exit status: 0 done, 1 a file failed (the others are still done), 2 usage error,\n"
    "130 interrupted (Ctrl-C, SIGINT, SIGTERM or SIGHUP: the files in flight finish, nothing\n"
    "partial is left).\n"
    "\n"
    "Examples:\n"
    "  zephyrine-render --tilt-forward 0.25 rock_normal.png -o rock_normal_tilted.png\n"
    "  zephyrine-render --invert-y --outdir fixed/ textures/*.tga\n"
    "  zephyrine-render shot.####.exr --frames 1001-1100 -o out/shot.####.exr\n"
    "  zephyrine-render --check --fail-above 0.01 textures/*.png\n";

// The help's groups in order, each with the paragraph that follows its options.
struct Section {
    const char *group;
    const char *after;
};

const Section kControls{"Controls (as in the host)", ""};
const Section kFiles{
    "Files",
    "\n"
    "Pixels are data: alpha is read and written unassociated and kept as it is, with no colour\n"
    "conversion and no dither. The output keeps the input's format, channel type, depth,\n"
    "tiling, MIP levels (each one rendered), parts and metadata unless its name asks for\n"
    "another format; what that format cannot hold (alpha, precision, parts, MIP levels) is\n"
    "named in a warning. Outputs are written to a temporary file and renamed into place.\n"};
const Section kChecking{
    "Checking",
    "\n"
    "Lossy formats (JPEG, WebP) change the written values, so the vectors of such an output\n"
    "are not unit length again: a run that writes one says so on standard error.\n"};
const Section kBatches{"Batches", ""};
const Section kOther{"Other", ""};
const Section *const kSections[] = {&kControls, &kFiles, &kChecking, &kBatches, &kOther};

// The help laid out as the rest of the tool's text: descriptions from column 23, names joined
// by ", ", and flags without a description of their own (the inversions) on one line.
class HelpFormatter : public CLI::Formatter {
public:
    HelpFormatter() { column_width(23); }

    std::string make_help(const CLI::App *app, std::string, CLI::AppFormatMode) const override {
        std::string text = std::string(kUsage) + "\n" + app->get_description();
        for (const Section *section : kSections) {
            const std::string group = section->group;
            const auto inGroup = [&](const CLI::Option *option) { return option->get_group() == group; };
            text += make_group(group, false, app->get_options(inGroup));
            text += section->after;
        }
        return text + app->get_footer();
    }

    std::string make_group(std::string group, bool positional,
                           std::vector<const CLI::Option *> options) const override {
        std::string text = "\n" + group + ":\n";
        for (std::size_t i = 0; i < options.size(); ++i) {
            if (!options[i]->get_description().empty()) {
                text += make_option(options[i], positional);
                continue;
            }
            std::string names = make_option_name(options[i], positional);
            while (i + 1 < options.size() && options[i + 1]->get_description().empty()) {
                names += ", " + make_option_name(options[++i], positional);
            }
            text += "  " + names + "\n";
        }
        return text;
    }

    std::string make_option_name(const CLI::Option *option, bool positional) const override {
        std::string names = CLI::Formatter::make_option_name(option, positional);
        for (std::size_t comma = names.find(','); comma != std::string::npos; comma = names.find(',', comma + 2)) {
            names.insert(comma + 1, " ");
        }
        return names;
    }
};

std::optional<double> parseNumber(const std::string &text) {
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// A usage error in our words: thrown from an option's callback, it reaches parseOptions as it is.
[[noreturn]] void refuse(const std::string &message) { throw CLI::ValidationError(message); }

// An option with one value, as NAME VALUE or NAME=VALUE; given twice, the last one counts.
CLI::Option *valued(CLI::App &app, const std::string &name, const std::string &shown, const std::string &description,
                    std::function<void(const std::string &)> take) {
    return app.add_option_function<std::string>(name, std::move(take), description)
        ->option_text(shown)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
}

// Every option, bound to `o`: parseOptions reads into it and helpText describes it.
void describe(CLI::App &app, Options &o) {
    Controls &c = o.controls;
    app.formatter(std::make_shared<HelpFormatter>());
    app.description(kDescription);
    app.footer(kFooter);
    // An unknown option is reported in our words after the parse.
    app.allow_extras();
    app.add_option("INPUT", o.inputs)->group("");

    app.option_defaults()->group(kControls.group);
    const auto tilt = [&](const std::string &name, double &target, const std::string &description) {
        valued(app, name, "F", description, [name, &target](const std::string &text) {
            const std::optional<double> number = parseNumber(text);
            if (!number || *number < -1.0 || *number > 1.0) {
                refuse(name + " takes a number from -1 to 1");
            }
            target = *number;
        });
    };
    tilt("--tilt-forward", c.tiltForward, "tilt towards +z (blue), -1..1");
    tilt("--tilt-sideways", c.tiltSideways, "tilt towards +x (red), -1..1");
    tilt("--tilt-upwards", c.tiltUpwards, "tilt towards +y (green), -1..1");
    app.add_flag("--invert-x", c.invertX);
    app.add_flag("--invert-y", c.invertY);
    app.add_flag("--invert-z", c.invertZ);
    app.add_flag("--invert-all", c.invertAll);
    app.add_flag("--traditional", c.traditional, "read the channels as the vector as they are (no 0..1 to -1..1)");

    app.option_defaults()->group(kFiles.group);
    valued(app, "-o", "FILE", "the output of a single input (or a frame pattern with --frames)",
           [&o](const std::string &text) { o.output = text; });
    valued(app, "--outdir", "DIR", "outputs keep the inputs' names in DIR (created if missing)",
           [&o](const std::string &text) { o.outdir = text; });
    valued(app, "--frames", "LIST",
           "expand INPUT's frame pattern (shot.####.exr, shot.%04d.exr) over\n"
           "LIST, e.g. 1-100 or 1-3,5,7-20x2",
           [&o](const std::string &text) {
               o.frames = parseFrameList(text);
               if (!o.frames) {
                   refuse("--frames takes a list such as 1-100 or 1-3,5,7-20x2");
               }
           });
    valued(app, "--part", "N|NAME",
           "the part of a multi-part file (EXR parts, TIFF pages) to render, by\n"
           "index from 0 or by name (default: the first); the others are\n"
           "copied as they are where the output's format holds several",
           [&o](const std::string &text) { o.part = text; });
    app.add_flag("--no-clobber", o.noClobber, "skip outputs that exist");
    app.add_flag("--in-place", o.inPlace, "allow writing over the input");
    valued(app, "--depth", "8|16|32",
           "render depth; by default 8-bit files render at 8 bits, 16-bit at\n"
           "16 and half or float at 32. At 16 bits the file's 0..65535 maps\n"
           "to the effect's 0..32768 and back, rounded to nearest.",
           [&o](const std::string &text) {
               if (text != "8" && text != "16" && text != "32") {
                   refuse("--depth takes 8, 16 or 32");
               }
               o.depth = std::stoi(text);
           });

    app.option_defaults()->group(kChecking.group);
    app.add_flag("--check", o.check,
                 "write nothing; print how far the decoded vectors are from unit\n"
                 "length: min, mean and max of |v|, and the share of pixels off\n"
                 "length: | |v| - 1 | above 2 sqrt(3) t, the most the effect's own\n"
                 "output can be off once stored, where t bounds a channel's error:\n"
                 "1/255 for 8-bit files (the effect truncates), 1/32768 + 0.5/65535\n"
                 "for 16-bit (truncation, then rounding to 65535), plus 1/65535 and\n"
                 "one step of the file's depth for 10 and 12-bit, 2^-24 + 2^-12 for\n"
                 "half and 2^-24 for float (sqrt(3) t with --traditional). So a map\n"
                 "the effect wrote at its file's depth checks as 0% off");
    valued(app, "--fail-above", "SHARE", "with --check: exit 1 when a file's share (0..1) is above SHARE",
           [&o](const std::string &text) {
               o.failAbove = parseNumber(text);
               if (!o.failAbove || *o.failAbove < 0.0 || *o.failAbove > 1.0) {
                   refuse("--fail-above takes a share from 0 to 1");
               }
           });

    app.option_defaults()->group(kBatches.group);
    valued(app, "--jobs", "N",
           "work on N files at once (default: one per hardware thread this\n"
           "process may use, e.g. a farm task's allocation), each\n"
           "through the one loaded module; outputs are the same as with 1",
           [&o](const std::string &text) {
               const std::optional<double> number = parseNumber(text);
               if (!number || *number < 1.0 || *number > 1024.0 || *number != std::floor(*number)) {
                   refuse("--jobs takes a whole number from 1 to 1024");
               }
               o.jobs = static_cast<int>(*number);
           });
    valued(app, "--max-memory", "SIZE",
           "the memory the files in flight may take together, e.g. 8G\n"
           "(default: what the system has available); a file that alone\n"
           "needs more is refused before anything of it is allocated",
           [&o](const std::string &text) {
               o.maxMemory = parseMemorySize(text);
               if (!o.maxMemory) {
                   refuse("--max-memory takes a size such as 512M, 8G or a number of bytes");
               }
           });

    app.option_defaults()->group(kOther.group);
    // The folder is optional: a next argument that is not an option is taken as it.
    valued(app, "--demo", "[DIR]",
           "render a synthetic normal map at 8, 16 and 32 bits and with each\n"
           "control into DIR (out/), with captioned pictures",
           [&o](const std::string &text) {
               o.demo = true;
               if (!text.empty()) {
                   o.demoDir = text;
               }
           })
        ->expected(0, 1);
    valued(app, "--plugin", "PATH",
           "the module to load (default: zephyrine.so beside this tool, else\n"
           "../lib/zephyrine/zephyrine.so from it, where the package puts it)",
           [&o](const std::string &text) { o.plugin = text; });
    app.add_flag("--quiet", o.quiet, "no progress bar (warnings and errors are still printed)");
    app.add_flag("--time", o.time,
                 "per file: decode, render (the effect through the entry point,\n"
                 "copies included) and encode times, and the render's throughput");
    app.set_version_flag("--version", versionText(), "print the version");
    // Set again here so that it is listed last.
    app.set_help_flag("-h,--help", "print this help");
}

// The first input that names no file but holds a frame pattern, when no --frames expands it.
const std::string *unexpandedPattern(const Options &o) {
    if (o.frames) {
        return nullptr;
    }
    const auto found = std::find_if(o.inputs.begin(), o.inputs.end(), [](const std::string &input) {
        std::error_code ignored;
        return hasFramePattern(input) && !std::filesystem::exists(input, ignored);
    });
    return found == o.inputs.end() ? nullptr : &*found;
}

} // namespace

std::string versionText() {
    return "zephyrine-render " + std::to_string(identity::kVersionMajor) + "." +
           std::to_string(identity::kVersionMinor) + "." + std::to_string(identity::kVersionBugfix);
}

std::string helpText() {
    Options unused;
    CLI::App app;
    describe(app, unused);
    return app.help();
}

ParseResult parseOptions(const std::vector<std::string> &arguments) {
    ParseResult result;
    Options &o = result.options;
    CLI::App app;
    describe(app, o);
    try {
        app.parse(std::vector<std::string>(arguments.rbegin(), arguments.rend()));
    } catch (const CLI::CallForHelp &) {
        o.help = true;
        return result;
    } catch (const CLI::CallForVersion &) {
        o.version = true;
        return result;
    } catch (const CLI::ArgumentMismatch &error) {
        // CLI11's words for a missing value name its type; a value can only be missing at the end.
        const CLI::Option *last = arguments.empty() ? nullptr : app.get_option_no_throw(arguments.back());
        result.error = last && last->get_type_size() != 0 ? arguments.back() + " needs a value" : error.what();
        return result;
    } catch (const CLI::ParseError &error) {
        result.error = error.what();
        return result;
    }
    // What is left are unknown options, and the "--" that ended the options, if one did.
    const std::vector<std::string> left = app.remaining();
    const auto unknown = std::find_if(left.begin(), left.end(), [](const std::string &item) { return item != "--"; });
    if (unknown != left.end()) {
        result.error = "unknown option " + *unknown;
        return result;
    }

    if (o.demo) {
        return result;
    }
    std::error_code ignored;
    if (o.inputs.empty()) {
        result.error = "no input files";
    } else if (const std::string *pattern = unexpandedPattern(o)) {
        result.error = *pattern + " looks like a frame pattern; give --frames LIST, e.g. --frames 1001-1100";
    } else if (o.failAbove && !o.check) {
        result.error = "--fail-above goes with --check";
    } else if (!o.check && o.output.empty() == o.outdir.empty()) {
        result.error = "give either -o OUTPUT or --outdir DIR";
    } else if (!o.output.empty() && std::filesystem::is_directory(o.output, ignored)) {
        result.error = "-o " + o.output + " is a folder; use --outdir " + o.output + " to keep the inputs' names there";
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
