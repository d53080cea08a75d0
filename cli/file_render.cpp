#include "cli/file_render.h"

#include "cli/atomic_write.h"
#include "cli/world_files.h"

#include <chrono>

namespace cli {

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// What the output holds: which of the input's parts, each with its levels as written.
struct OutputPlan {
    std::vector<int> parts;
    std::vector<std::vector<OIIO::ImageSpec>> levels;
    OIIO::ImageOutput::OpenMode nextLevel = OIIO::ImageOutput::AppendMIPLevel;
    std::vector<std::string> losses;
};

// TIFF allows only tiles whose sides are multiples of 16, and OpenImageIO aborts the process
// on others rather than failing the file.
bool tilesFit(const OIIO::ImageSpec &spec, const PartialFile &output) {
    return output.supports("tiles") &&
           (std::string(output.formatName()) != "tiff" || (spec.tile_width % 16 == 0 && spec.tile_height % 16 == 0));
}

OIIO::ImageSpec asWritten(OIIO::ImageSpec spec, const PartialFile &output, bool rendered) {
    if (!tilesFit(spec, output)) {
        spec.tile_width = spec.tile_height = spec.tile_depth = 0;
    }
    if (rendered) {
        // Fingerprints of the pixels as they were, which a texture system would trust.
        for (const char *stale : {"oiio:SHA-1", "oiio:AverageColor", "oiio:ConstantColor"}) {
            spec.erase_attribute(stale);
        }
    }
    return spec;
}

OutputPlan planOutput(const ImageFile &file, const PartialFile &output) {
    OutputPlan plan;
    const auto &levels = file.levels();
    const std::string format = output.formatName();
    const int partCount = static_cast<int>(levels.size());
    if (partCount > 1 && !output.supports("multiimage")) {
        plan.parts = {file.part()};
        plan.losses.push_back("only part " + partName(file.spec(), file.part()) + " of the input's " +
                              std::to_string(partCount) + " is written: " + format +
                              " files hold one image; write OpenEXR or TIFF to keep them all");
    } else {
        for (int part = 0; part < partCount; ++part) {
            plan.parts.push_back(part);
        }
    }
    // A texture's levels in TIFF are the directories after the first: readers take them for
    // MIP levels where the file says it is a texture, as maketx's files do.
    const bool texture = !levels[file.part()][0].get_string_attribute("textureformat").empty();
    const bool mipmaps = output.supports("mipmap") || (texture && output.supports("multiimage"));
    plan.nextLevel = output.supports("mipmap") ? OIIO::ImageOutput::AppendMIPLevel : OIIO::ImageOutput::AppendSubimage;
    for (int part : plan.parts) {
        const bool rendered = part == file.part();
        if (!rendered && levels[part][0].deep) {
            throw FileError("its part " + partName(levels[part][0], part) +
                            " holds deep samples, which cannot be copied beside the rendered part; "
                            "write only the part to render, to a format that holds one image (PNG, TIFF)");
        }
        const std::size_t kept = mipmaps ? levels[part].size() : 1;
        if (kept < levels[part].size()) {
            plan.losses.push_back("only the full resolution of " + std::to_string(levels[part].size()) +
                                  " MIP levels is written: " + format + " files hold no MIP levels");
        }
        std::vector<OIIO::ImageSpec> written;
        for (std::size_t level = 0; level < kept; ++level) {
            written.push_back(asWritten(levels[part][level], output, rendered));
        }
        plan.levels.push_back(std::move(written));
    }
    if (file.spec().nchannels == 4 && !output.supports("alpha")) {
        plan.losses.push_back("alpha is dropped: " + format + " files hold none");
    }
    return plan;
}

// A written channel type that holds less than the input's: float to half or to integers,
// wide integers to narrow ones.
std::string precisionLoss(OIIO::TypeDesc input, OIIO::TypeDesc written, const std::string &format) {
    if ((input.is_floating_point() && !written.is_floating_point()) || written.size() < input.size()) {
        return "written as " + std::string(written.c_str()) + " from " + input.c_str() + ": " + format +
               " files hold nothing finer";
    }
    return "";
}

} // namespace

FileRender renderFile(ImageFile &file, const std::string &outputPath, int depth, embedhost::EffectInstance &runner) {
    FileRender result;
    PartialFile output(outputPath);
    OutputPlan plan = planOutput(file, output);
    result.losses = std::move(plan.losses);
    std::vector<OIIO::ImageSpec> firstLevels;
    for (const auto &levels : plan.levels) {
        firstLevels.push_back(levels[0]);
    }
    output.open(firstLevels);
    for (std::size_t index = 0; index < plan.parts.size(); ++index) {
        const int part = plan.parts[index];
        const auto &levels = plan.levels[index];
        for (std::size_t level = 0; level < levels.size(); ++level) {
            if (index > 0 || level > 0) {
                output.openNext(levels[level], level == 0 ? OIIO::ImageOutput::AppendSubimage : plan.nextLevel);
            }
            if (part != file.part()) {
                const auto encodeStart = Clock::now();
                copyLevel(file.input(), part, static_cast<int>(level), output);
                result.encodeSeconds += secondsSince(encodeStart);
                continue;
            }
            if (level == 0) {
                const std::string loss =
                    precisionLoss(levels[0].format, output.output().spec().format, output.formatName());
                if (!loss.empty()) {
                    result.losses.push_back(loss);
                }
            }
            const OIIO::ImageSpec &stored = file.levels()[part][level];
            const auto decodeStart = Clock::now();
            embedhost::World &source = runner.sourceFor(stored.width, stored.height, depth);
            decodeIntoWorld(file.input(), part, static_cast<int>(level), stored, depth, source);
            result.decodeSeconds += secondsSince(decodeStart);

            const auto renderStart = Clock::now();
            runner.renderWorlds();
            result.renderSeconds += secondsSince(renderStart);
            result.megapixels += static_cast<double>(stored.width) * stored.height / 1e6;

            const auto writeStart = Clock::now();
            writeFromWorld(output, levels[level], depth, runner.output());
            result.encodeSeconds += secondsSince(writeStart);
        }
    }
    const auto closeStart = Clock::now();
    output.commit();
    result.encodeSeconds += secondsSince(closeStart);
    return result;
}

} // namespace cli
