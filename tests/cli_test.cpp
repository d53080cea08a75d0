// zephyrine-render run as a process on image files the tests write, and its parts.
#include "cli_support.h"

#include "cli/frame_list.h"
#include "cli/options.h"

#include <fstream>

TEST(FrameLists, RangesStepsAndPatterns) {
    EXPECT_EQ(cli::parseFrameList("1-3,5,7-20x4"), (std::vector<int>{1, 2, 3, 5, 7, 11, 15, 19}));
    EXPECT_EQ(cli::parseFrameList("1001"), (std::vector<int>{1001}));
    EXPECT_EQ(cli::parseFrameList("-2-1"), (std::vector<int>{-2, -1, 0, 1}));
    for (const char *bad : {"", "1-", "a", "3-1", "1-5x0", "1,,2", "1-5x"}) {
        EXPECT_EQ(cli::parseFrameList(bad), std::nullopt) << bad;
    }
    EXPECT_EQ(cli::expandFramePattern("shot.####.exr", 7), "shot.0007.exr");
    EXPECT_EQ(cli::expandFramePattern("shot.%04d.exr", 1001), "shot.1001.exr");
    EXPECT_EQ(cli::expandFramePattern("shot.%d.exr", 12), "shot.12.exr");
    EXPECT_FALSE(cli::hasFramePattern("shot.exr"));
}

TEST(Rendering, EightBitRgbaGivesTheWorkedExamplesAndKeepsAlphaAndMetadata) {
    Folder folder;
    writeImage(folder / "in.png", 3, 1, 4, OIIO::TypeDesc::UINT8,
               {128, 128, 255, 255, 0, 0, 0, 255, 64, 200, 30, 33}, "rock, tangent space");
    const ToolRun run = runTool(quoted(folder / "in.png") + " -o " + quoted(folder / "out.png"));
    ASSERT_EQ(run.status, 0) << run.output;
    const ReadBack out = readImage(folder / "out.png");
    EXPECT_EQ(out.spec.nchannels, 4);
    EXPECT_EQ(out.values, (std::vector<float>{127, 127, 254, 255, 53, 53, 53, 255, 68, 194, 36, 33}))
        << "alpha 33 stays 33";
    EXPECT_EQ(out.spec.get_string_attribute("ImageDescription"), "rock, tangent space");
}

TEST(Rendering, RgbStaysRgbAndControlsApply) {
    Folder folder;
    writeImage(folder / "in.tga", 2, 1, 3, OIIO::TypeDesc::UINT8, {200, 128, 255, 10, 200, 30});
    ToolRun run = runTool("--invert-x --invert-all " + quoted(folder / "in.tga") + " -o " + quoted(folder / "out.tga"));
    ASSERT_EQ(run.status, 0) << run.output;
    ReadBack out = readImage(folder / "out.tga");
    EXPECT_EQ(out.spec.nchannels, 3);
    EXPECT_EQ(std::vector<float>(out.values.begin(), out.values.begin() + 3), (std::vector<float>{190, 127, 16}));

    run = runTool("--tilt-forward -1 " + quoted(folder / "in.tga") + " -o " + quoted(folder / "tilted.tga"));
    ASSERT_EQ(run.status, 0) << run.output;
    out = readImage(folder / "tilted.tga");
    EXPECT_EQ(std::vector<float>(out.values.begin() + 3, out.values.end()), (std::vector<float>{127, 127, 0}));
}

TEST(Rendering, SixteenBitFilesMapTo32768AndBack) {
    Folder folder;
    // Alphas from 0 to 65535, most of them above what the effect's 32768 stands for in the
    // file's range: the file's alpha is written back as it was.
    writeImage(folder / "in.png", 5, 1, 4, OIIO::TypeDesc::UINT16,
               {0, 0, 0, 65535, 65535, 32768, 32768, 1000, 0, 0, 0, 32769, 0, 0, 0, 49152, 0, 0, 0, 0});
    const ToolRun run = runTool(quoted(folder / "in.png") + " -o " + quoted(folder / "out.png"));
    ASSERT_EQ(run.status, 0) << run.output;
    const ReadBack out = readImage(folder / "out.png");
    EXPECT_EQ(out.spec.format, OIIO::TypeDesc::UINT16);
    // (0,0,0) renders as 6924 of 32768, which is 13848 of 65535; (1, 0.5, 0.5) stays itself.
    EXPECT_EQ(out.values, (std::vector<float>{13848, 13848, 13848, 65535, 65535, 32768, 32768, 1000, 13848, 13848,
                                              13848, 32769, 13848, 13848, 13848, 49152, 13848, 13848, 13848, 0}));
}

TEST(Rendering, HalfAndFloatFilesRenderAt32Bits) {
    Folder folder;
    writeImage(folder / "in.exr", 2, 1, 4, OIIO::TypeDesc::HALF, {2.0f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 1.0f, 1.0f});
    writeImage(folder / "in.tif", 1, 1, 3, OIIO::TypeDesc::FLOAT, {2.0f, 0.5f, 0.5f});
    ToolRun run = runTool("--outdir " + quoted(folder / "out") + " " + quoted(folder / "in.exr") + " " +
                      quoted(folder / "in.tif"));
    ASSERT_EQ(run.status, 0) << run.output;
    ReadBack exr = readImage(folder / "out/in.exr");
    EXPECT_EQ(exr.spec.format, OIIO::TypeDesc::HALF);
    EXPECT_EQ(exr.values, (std::vector<float>{1.0f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 1.0f, 1.0f}));
    ReadBack tif = readImage(folder / "out/in.tif");
    EXPECT_EQ(tif.spec.format, OIIO::TypeDesc::FLOAT);
    EXPECT_EQ(tif.values, (std::vector<float>{1.0f, 0.5f, 0.5f}));
}

TEST(Files, FrameSequencesNoClobberAndTheInputItself) {
    Folder folder;
    for (int frame = 1; frame <= 3; ++frame) {
        writeImage(folder / ("shot." + std::string(frame < 10 ? "000" : "00") + std::to_string(frame) + ".png"), 1,
                   1, 3, OIIO::TypeDesc::UINT8, {128, 128, 255});
    }
    ToolRun run = runTool(quoted(folder / "shot.####.png") + " --frames 1-3 -o " + quoted(folder / "out.%02d.png"));
    ASSERT_EQ(run.status, 0) << run.output;
    for (const char *name : {"out.01.png", "out.02.png", "out.03.png"}) {
        EXPECT_EQ(readImage(folder / name).values, (std::vector<float>{127, 127, 254})) << name;
    }

    writeImage(folder / "out.02.png", 1, 1, 3, OIIO::TypeDesc::UINT8, {1, 2, 3});
    run = runTool("--no-clobber " + quoted(folder / "shot.####.png") + " --frames 2 -o " +
                  quoted(folder / "out.%02d.png"));
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(readImage(folder / "out.02.png").values, (std::vector<float>{1, 2, 3})) << "skipped";

    run = runTool(quoted(folder / "shot.0001.png") + " -o " + quoted(folder / "shot.0001.png"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("--in-place"), std::string::npos) << run.output;
    EXPECT_EQ(readImage(folder / "shot.0001.png").values, (std::vector<float>{128, 128, 255}));
    fs::create_symlink(folder / "shot.0001.png", folder / "link.png");
    EXPECT_EQ(runTool(quoted(folder / "shot.0001.png") + " -o " + quoted(folder / "link.png")).status, 1)
        << "the same file by another name";
    run = runTool("--in-place " + quoted(folder / "shot.0001.png") + " -o " + quoted(folder / "shot.0001.png"));
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(readImage(folder / "shot.0001.png").values, (std::vector<float>{127, 127, 254}));
}

TEST(Files, BadInputsAreNamedAndTheOthersStillDone) {
    Folder folder;
    writeImage(folder / "good.png", 1, 1, 3, OIIO::TypeDesc::UINT8, {128, 128, 255});
    writeImage(folder / "whole.png", 64, 64, 3, OIIO::TypeDesc::UINT8, std::vector<float>(64 * 64 * 3, 100));
    {
        std::ifstream whole(folder / "whole.png", std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(whole)), std::istreambuf_iterator<char>());
        std::ofstream(folder / "truncated.png", std::ios::binary) << bytes.substr(0, bytes.size() / 2);
    }
    std::ofstream(folder / "text.exr") << "this is not an image\n";
    writeImage(folder / "grey.png", 1, 1, 1, OIIO::TypeDesc::UINT8, {128});
    const ToolRun run = runTool("--outdir " + quoted(folder / "out") + " " + quoted(folder / "missing.png") + " " +
                            quoted(folder / "truncated.png") + " " + quoted(folder / "text.exr") + " " +
                            quoted(folder / "grey.png") + " " + quoted(folder / "good.png"));
    EXPECT_EQ(run.status, 1);
    for (const char *name : {"missing.png: no such file", "truncated.png: cannot", "text.exr: cannot",
                             "grey.png: has 1 channel;"}) {
        EXPECT_NE(run.output.find(name), std::string::npos) << name << "\n" << run.output;
    }
    EXPECT_EQ(readImage(folder / "out/good.png").values, (std::vector<float>{127, 127, 254}));
    for (const auto &entry : fs::directory_iterator(folder / "out")) {
        EXPECT_EQ(entry.path().filename(), "good.png") << "no partial or failed output is left behind";
    }
}

TEST(Files, AnUnwritableFolderFailsCleanly) {
    Folder folder;
    writeImage(folder / "in.png", 1, 1, 3, OIIO::TypeDesc::UINT8, {128, 128, 255});
    fs::create_directories(folder / "locked");
    fs::permissions(folder.path(), fs::perms::all);
    fs::permissions(folder / "locked", fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                           fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    // Root writes through read-only folders: run the tool as nobody then, from a copy (with its
    // module) in the test's folder, which nobody can reach wherever the build lives.
    std::string prefix, toolFolder = platform::executableDirectory();
    if (geteuid() == 0) {
        prefix = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
        toolFolder = (folder / "tool").string();
        fs::create_directories(toolFolder);
        for (const char *file : {"zephyrine-render", "zephyrine.so"}) {
            fs::copy_file(platform::executableDirectory() + "/" + file, toolFolder + "/" + file);
        }
        fs::permissions(folder / "tool", fs::perms::all);
    }
    const ToolRun run =
        runTool(quoted(folder / "in.png") + " -o " + quoted(folder / "locked/out.png"), prefix, toolFolder);
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("locked/out.png: cannot"), std::string::npos) << run.output;
    EXPECT_TRUE(fs::is_empty(folder / "locked"));
    EXPECT_EQ(readImage(folder / "in.png").values, (std::vector<float>{128, 128, 255}));
}

TEST(Check, ReportsLengthsAndGatesOnTheShare) {
    Folder folder;
    writeImage(folder / "unit.png", 2, 1, 3, OIIO::TypeDesc::UINT8, {128, 128, 255, 127, 127, 254});
    writeImage(folder / "short.png", 1, 1, 3, OIIO::TypeDesc::UINT8, {128, 128, 200});
    ToolRun run = runTool("--check " + quoted(folder / "unit.png") + " " + quoted(folder / "short.png"));
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("unit.png: |v| min"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("off-length 0.00% of 2 pixels"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("off-length 100.00% of 1 pixels"), std::string::npos) << run.output;
    EXPECT_EQ(runTool("--check --fail-above 0.5 " + quoted(folder / "unit.png")).status, 0);
    run = runTool("--check --fail-above 0.5 " + quoted(folder / "unit.png") + " " + quoted(folder / "short.png"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("1 of 2 files are off-length above --fail-above 50%: " + (folder / "short.png").string() +
                              " (100.00%)"),
              std::string::npos)
        << run.output;
    EXPECT_FALSE(fs::exists(folder / "out")) << "checking writes nothing";
}

namespace {

// White caption pixels in the strip of rows [top, bottom) over columns [left, right) of an
// 8-bit RGB picture: a drawn caption leaves dozens, an empty strip none.
int captionPixels(const ReadBack &picture, int left, int right, int top, int bottom) {
    int count = 0;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            const std::size_t at = (static_cast<std::size_t>(y) * picture.spec.width + x) * 3;
            count += picture.values[at] > 200 && picture.values[at + 1] > 200 && picture.values[at + 2] > 200;
        }
    }
    return count;
}

} // namespace

TEST(Demo, WritesItsPicturesCaptionedAndASummary) {
    Folder folder;
    const ToolRun run = runTool("--demo " + quoted(folder / "demo"));
    ASSERT_EQ(run.status, 0) << run.output;
    for (const char *name : {"input.png", "output-8bit.png", "output-16bit.png", "output-32bit.png", "comparison.png",
                             "controls-tilts.png", "controls-inversions.png"}) {
        EXPECT_TRUE(fs::exists(folder / ("demo/" + std::string(name)))) << name;
    }
    EXPECT_NE(run.output.find("megapixels per second"), std::string::npos);

    // Sheets of square panels with a gap of 6 around each and a caption strip above each.
    struct Sheet {
        const char *name;
        int columns, rows, side, caption;
    };
    for (const Sheet sheet : {Sheet{"comparison.png", 4, 1, 512, 53}, Sheet{"controls-tilts.png", 5, 3, 200, 30},
                              Sheet{"controls-inversions.png", 4, 2, 240, 30}}) {
        SCOPED_TRACE(sheet.name);
        const ReadBack picture = readImage(folder / "demo" / sheet.name);
        ASSERT_EQ(picture.spec.nchannels, 3);
        ASSERT_EQ(picture.spec.width, sheet.columns * (sheet.side + 6) + 6);
        ASSERT_EQ(picture.spec.height, sheet.rows * (sheet.side + sheet.caption + 6) + 6);
        for (int row = 0; row < sheet.rows; ++row) {
            for (int column = 0; column < sheet.columns; ++column) {
                const int left = 6 + column * (sheet.side + 6), top = 6 + row * (sheet.side + sheet.caption + 6);
                EXPECT_GT(captionPixels(picture, left, left + sheet.side, top, top + sheet.caption), 20)
                    << "no caption over panel " << column << ", " << row;
            }
        }
    }
}
