// zephyrine-render on the files studios have, each made by OpenImageIO's own tools: tiled,
// mip-mapped, multi-part, 10 and 12-bit; a sequence with a tiled and a corrupt frame; outputs
// that would clash; and what an output's format cannot keep, said aloud. Pixels are checked
// against the module's own rendering of the same values, stored as the output's format stores
// them, and nothing but the expected outputs may appear in the folder.
#include "cli_support.h"

#include "cli/picture.h"
#include "cli/pixel_rows.h"
#include "embedhost/effect_instance.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>

namespace {

void shell(const std::string &command) { ASSERT_EQ(std::system((command + " >/dev/null 2>&1").c_str()), 0) << command; }

// A normal map as maps come before they are normalised: smooth bumps, lengths from about 0.7
// to 1.3, and an alpha ramp, as 8-bit RGBA.
void writeSourceMap(const fs::path &path, int width, int height) {
    std::vector<float> values;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double x0 = std::sin(x * 0.31) * 0.5, y0 = std::cos(y * 0.23) * 0.5, scale = 0.7 + 0.6 * x / width;
            const double length = std::sqrt(x0 * x0 + y0 * y0 + 1.0);
            for (double v : {x0 / length, y0 / length, 1.0 / length}) {
                values.push_back(static_cast<float>(std::floor((v * scale + 1.0) * 0.5 * 255.0)));
            }
            values.push_back(static_cast<float>(255 * y / height));
        }
    }
    writeImage(path, width, height, 4, OIIO::TypeDesc::UINT8, values);
}

std::map<std::string, std::string> snapshot(const fs::path &folder) {
    std::map<std::string, std::string> files;
    for (const auto &entry : fs::recursive_directory_iterator(folder)) {
        std::string &bytes = files[fs::relative(entry.path(), folder).string()];
        if (entry.is_regular_file()) {
            std::ifstream in(entry.path(), std::ios::binary);
            bytes.assign(std::istreambuf_iterator<char>(in), {});
        }
    }
    return files;
}

// Everything in `after` that is not in `before` or not as it was, but for `expected`.
std::vector<std::string> changes(const std::map<std::string, std::string> &before,
                                 const std::map<std::string, std::string> &after,
                                 const std::vector<std::string> &expected) {
    std::vector<std::string> changed;
    for (const auto &[name, bytes] : after) {
        const auto old = before.find(name);
        if ((old == before.end() || old->second != bytes) &&
            std::find(expected.begin(), expected.end(), name) == expected.end()) {
            changed.push_back(name);
        }
    }
    for (const auto &[name, bytes] : before) {
        if (after.count(name) == 0) {
            changed.push_back(name + " (removed)");
        }
    }
    return changed;
}

struct Layout {
    std::vector<std::vector<OIIO::ImageSpec>> parts; // each part's levels
};

Layout layoutOf(const fs::path &path) {
    Layout layout;
    auto in = OIIO::ImageInput::open(path.string());
    if (!in) {
        ADD_FAILURE() << "cannot read " << path << ": " << OIIO::geterror();
        return layout;
    }
    for (int part = 0; in->seek_subimage(part, 0); ++part) {
        layout.parts.emplace_back();
        for (int level = 0; in->seek_subimage(part, level); ++level) {
            layout.parts.back().push_back(in->spec());
        }
    }
    return layout;
}

// One level of one part at a render depth as RGBA, an RGB level with opaque alpha.
cli::Picture readLevel(const fs::path &path, int part, int level, int depth) {
    cli::Picture picture;
    OIIO::ImageSpec config;
    config.attribute("oiio:UnassociatedAlpha", 1);
    auto in = OIIO::ImageInput::open(path.string(), &config);
    if (!in) {
        ADD_FAILURE() << "cannot read " << path << ": " << OIIO::geterror();
        return picture;
    }
    picture.spec = in->spec(part, level);
    picture.depth = depth;
    const std::size_t pixels = static_cast<std::size_t>(picture.width()) * picture.height();
    picture.rgba.assign(pixels * 4 * picture.channelBytes(), 0xFF);
    if (depth == 32) {
        const float one = 1.0f;
        for (std::size_t i = 0; i < pixels; ++i) {
            std::memcpy(&picture.rgba[(i * 4 + 3) * 4], &one, 4);
        }
    }
    EXPECT_TRUE(in->read_image(part, level, 0, std::min(4, picture.spec.nchannels), cli::typeForDepth(depth),
                               picture.rgba.data(), static_cast<OIIO::stride_t>(4 * picture.channelBytes())))
        << path << ": " << in->geterror();
    return picture;
}

// What the module renders from a level, stored as `stored` says (the output level's format
// and depth, in one piece) and read back.
cli::Picture expectedLevel(const fs::path &input, int part, int level, int depth, OIIO::ImageSpec stored,
                           const fs::path &scratch) {
    static const auto module =
        std::make_shared<const embedhost::PluginModule>(embedhost::PluginModule::besideExecutable());
    embedhost::EffectInstance instance(module, {});
    cli::Picture picture = readLevel(input, part, level, depth);
    cli::renderPicture(instance, picture);
    stored.tile_width = stored.tile_height = stored.tile_depth = 0;
    picture.spec = stored;
    cli::writePicture(scratch.string(), picture);
    cli::Picture back = readLevel(scratch, 0, 0, depth);
    fs::remove(scratch);
    return back;
}

int bitsOf(const OIIO::ImageSpec &spec) { return spec.get_int_attribute("oiio:BitsPerSample", 0); }

} // namespace

// Each kind as OpenImageIO's tools make it from one 8-bit map: every level of the rendered
// part is the module's rendering, other parts are copied as they are, the file keeps its
// parts, levels, tiles, channel type and depth, and --check finds it normalised.
TEST(FileKinds, RenderEveryLevelKeepTheRestAndCheckAsNormalised) {
    struct Kind {
        const char *name, *file, *make, *arguments;
        int renderedPart;
    };
    const Kind kinds[] = {
        {"16-bit PNG with alpha", "in.png", "oiiotool src.png -d uint16 -o in.png", "", 0},
        {"float EXR", "in.exr", "oiiotool src.png -d float -o in.exr", "", 0},
        {"tiled half EXR", "in.exr", "oiiotool src.png -d half --tile 16 16 -o in.exr", "", 0},
        {"tiled 16-bit TIFF", "in.tif", "oiiotool src.png -d uint16 --tile 32 32 -o in.tif", "", 0},
        {"mip-mapped texture", "in.tx", "maketx src.png -o in.tx", "", 0},
        {"10-bit DPX", "in.dpx", "oiiotool src.png -d uint10 -o in.dpx", "", 0},
        {"12-bit TIFF", "in.tif", "oiiotool src.png -d uint12 -o in.tif", "", 0},
        {"multi-part EXR", "in.exr",
         "oiiotool src.png -d half --attrib oiio:subimagename normal -o p0.exr && "
         "oiiotool --pattern constant:color=0.1,0.2,0.3,0.4 70x45 4 -d half -d A=float --tile 16 16 "
         "--attrib oiio:subimagename extra -o p1.exr && oiiotool p0.exr p1.exr --siappend -o in.exr",
         "", 0},
        {"multi-part EXR, its second part by name", "in.exr",
         "oiiotool --pattern constant:color=0.1,0.2,0.3 70x45 3 -d float --attrib oiio:subimagename extra "
         "-o p0.exr && oiiotool src.png -d half --attrib oiio:subimagename normal -o p1.exr && "
         "oiiotool p0.exr p1.exr --siappend -o in.exr",
         "--part normal", 1},
    };
    for (const Kind &kind : kinds) {
        SCOPED_TRACE(kind.name);
        Folder folder;
        writeSourceMap(folder / "src.png", 70, 45);
        shell("cd " + quoted(folder.path()) + " && " + kind.make);
        const auto before = snapshot(folder.path());
        const std::string output = std::string("out") + fs::path(kind.file).extension().string();
        const ToolRun run =
            runTool(std::string(kind.arguments) + " " + quoted(folder / kind.file) + " -o " + quoted(folder / output));
        ASSERT_EQ(run.status, 0) << run.output;
        EXPECT_EQ(run.output, "") << "nothing is lost, so nothing is said";
        EXPECT_EQ(changes(before, snapshot(folder.path()), {output}), std::vector<std::string>{});

        const Layout in = layoutOf(folder / kind.file), out = layoutOf(folder / output);
        ASSERT_EQ(out.parts.size(), in.parts.size());
        for (std::size_t part = 0; part < in.parts.size(); ++part) {
            ASSERT_EQ(out.parts[part].size(), in.parts[part].size()) << "levels of part " << part;
            for (std::size_t level = 0; level < in.parts[part].size(); ++level) {
                SCOPED_TRACE("part " + std::to_string(part) + " level " + std::to_string(level));
                const OIIO::ImageSpec &was = in.parts[part][level], &is = out.parts[part][level];
                EXPECT_EQ(std::tie(is.width, is.height, is.nchannels, is.tile_width, is.tile_height),
                          std::tie(was.width, was.height, was.nchannels, was.tile_width, was.tile_height));
                EXPECT_EQ(is.format, was.format);
                EXPECT_EQ(bitsOf(is), bitsOf(was));
                const int p = static_cast<int>(part), l = static_cast<int>(level);
                if (p != kind.renderedPart) {
                    EXPECT_EQ(readLevel(folder / output, p, l, 32).rgba, readLevel(folder / kind.file, p, l, 32).rgba)
                        << "a part beside the rendered one is copied";
                    continue;
                }
                const int depth = cli::naturalDepth(was.format);
                EXPECT_EQ(readLevel(folder / output, p, l, depth).rgba,
                          expectedLevel(folder / kind.file, p, l, depth, is, folder / ("expected" + output)).rgba);
            }
        }
        const ToolRun check = runTool("--check " + std::string(kind.arguments) + " " + quoted(folder / output));
        EXPECT_EQ(check.status, 0) << check.output;
        EXPECT_NE(check.output.find("off-length 0.00%"), std::string::npos) << check.output;
        const ToolRun source = runTool("--check " + std::string(kind.arguments) + " " + quoted(folder / kind.file));
        EXPECT_EQ(source.output.find("off-length 0.00%"), std::string::npos) << "the source is not normalised";
    }
}

// A frame sequence with a tiled frame and a corrupt one: the corrupt frame alone fails, is
// named, and the run ends with a summary; the tiled one renders as the others do.
TEST(FileKinds, ASequenceWithATiledAndACorruptFrame) {
    Folder folder;
    writeSourceMap(folder / "src.png", 40, 30);
    const std::string in = "cd " + quoted(folder.path()) + " && oiiotool src.png -d half ";
    for (int frame : {1, 2, 5}) {
        shell(in + "-o shot.000" + std::to_string(frame) + ".exr");
    }
    shell(in + "--tile 16 16 -o shot.0003.exr");
    shell(in + "-o whole.exr");
    {
        std::ifstream whole(folder / "whole.exr", std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(whole), {}};
        std::ofstream(folder / "shot.0004.exr", std::ios::binary) << bytes.substr(0, bytes.size() * 2 / 3);
    }
    const auto before = snapshot(folder.path());
    for (const char *jobs : {"1", "2"}) {
        SCOPED_TRACE(std::string("--jobs ") + jobs);
        fs::remove_all(folder / "out");
        const ToolRun run = runTool("--jobs " + std::string(jobs) + " " + quoted(folder / "shot.####.exr") +
                                    " --frames 1-5 -o " + quoted(folder / "out/shot.####.exr"));
        EXPECT_EQ(run.status, 1) << run.output;
        EXPECT_NE(run.output.find("shot.0004.exr: cannot"), std::string::npos) << run.output;
        EXPECT_NE(run.output.find("4 of 5 files done; 1 failed: " + (folder / "shot.0004.exr").string()),
                  std::string::npos)
            << run.output;
        EXPECT_EQ(changes(before, snapshot(folder.path()),
                          {"out", "out/shot.0001.exr", "out/shot.0002.exr", "out/shot.0003.exr", "out/shot.0005.exr"}),
                  std::vector<std::string>{});
        const cli::Picture tiled = readLevel(folder / "out/shot.0003.exr", 0, 0, 32);
        EXPECT_EQ(tiled.rgba, readLevel(folder / "out/shot.0001.exr", 0, 0, 32).rgba);
        EXPECT_EQ(tiled.spec.tile_width, 16);
    }
}

// Two inputs that would write one output are refused before anything is written, however
// many files are in flight.
TEST(FileKinds, InputsThatWouldWriteOneOutputAreRefusedBeforeAnyWork) {
    Folder folder;
    fs::create_directories(folder / "a");
    fs::create_directories(folder / "b");
    writeSourceMap(folder / "a/map.png", 8, 8);
    writeSourceMap(folder / "b/map.png", 8, 8);
    const auto before = snapshot(folder.path());
    for (const char *jobs : {"1", "2"}) {
        const ToolRun run = runTool("--jobs " + std::string(jobs) + " --outdir " + quoted(folder / "out") + " " +
                                    quoted(folder / "a/map.png") + " " + quoted(folder / "b/map.png"));
        EXPECT_EQ(run.status, 2) << run.output;
        EXPECT_NE(run.output.find((folder / "a/map.png").string() + " and " + (folder / "b/map.png").string()),
                  std::string::npos)
            << run.output;
        EXPECT_EQ(changes(before, snapshot(folder.path()), {}), std::vector<std::string>{});
    }
}

// What an output's format cannot hold is said on standard error, and the rest is written (a
// part of mixed channel types too, into TIFF, which stores one type).
TEST(FileKinds, EveryLossToTheOutputsFormatIsSaidAloud) {
    struct Case {
        const char *make, *input, *output, *warning;
    };
    const Case cases[] = {
        {"oiiotool src.png -o in.png", "in.png", "out.jpg", "alpha is dropped: jpeg files hold none"},
        {"oiiotool src.png -d float -o in.exr", "in.exr", "out.png", "written as uint8 from float"},
        {"oiiotool src.png -d uint16 -o in.tif", "in.tif", "out.bmp", "written as uint8 from uint16"},
        {"oiiotool src.png -d half -o p0.exr && oiiotool src.png -d half -d A=float -o p1.exr && "
         "oiiotool p0.exr p1.exr --siappend -o in.exr",
         "in.exr", "out.tif", ""},
        {"oiiotool src.png -d half -o p0.exr && oiiotool src.png -d half -o p1.exr && "
         "oiiotool p0.exr p1.exr --siappend -o in.exr",
         "in.exr", "out.png", "only part 0 (subimage00) of the input's 2 is written"},
        {"maketx src.png -o in.tx", "in.tx", "out.png", "only the full resolution of 6 MIP levels is written"},
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(std::string(test.input) + " to " + test.output);
        Folder folder;
        writeSourceMap(folder / "src.png", 40, 30);
        shell("cd " + quoted(folder.path()) + " && " + test.make);
        const ToolRun run = runTool("--quiet " + quoted(folder / test.input) + " -o " + quoted(folder / test.output));
        EXPECT_EQ(run.status, 0) << run.output;
        EXPECT_TRUE(fs::exists(folder / test.output));
        if (*test.warning == '\0') {
            EXPECT_EQ(run.output, "") << "nothing lost";
        } else {
            EXPECT_NE(run.output.find("warning: " + (folder / test.output).string() + ": " + test.warning),
                      std::string::npos)
                << run.output;
        }
    }
}
