// zephyrine-render on batches as a studio runs them: several files at once, files that ask for
// more memory than there is, lossy outputs, an interrupted run, and frames rendered out of
// order in several processes at once.
#include "cli_support.h"

#include "filter/full_range16.h"

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

namespace {

std::vector<unsigned char> bytesOf(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Random channel values at unit scale (integer types: their integer values).
std::vector<float> randomValues(std::size_t count, OIIO::TypeDesc type, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<float> values(count);
    for (float &value : values) {
        value = type == OIIO::TypeDesc::UINT8    ? static_cast<float>(random() % 256)
                : type == OIIO::TypeDesc::UINT16 ? static_cast<float>(random() % 65536)
                                                 : static_cast<float>(random() % 2001) / 1000.0f - 0.5f;
    }
    return values;
}

// The kinds of files a texture set holds: 16-bit PNG with alpha, 8-bit JPEG, float EXR, 8-bit TGA.
std::vector<std::string> writeTextureSet(const Folder &folder, int copies) {
    struct Kind {
        const char *extension;
        OIIO::TypeDesc type;
        int channels;
    };
    const Kind kinds[] = {{".png", OIIO::TypeDesc::UINT16, 4},
                          {".jpg", OIIO::TypeDesc::UINT8, 3},
                          {".exr", OIIO::TypeDesc::FLOAT, 4},
                          {".tga", OIIO::TypeDesc::UINT8, 4}};
    std::vector<std::string> names;
    for (int i = 0; i < copies; ++i) {
        for (const Kind &kind : kinds) {
            const std::string name = "map" + std::to_string(i) + kind.extension;
            writeImage(folder / name, 61, 37, kind.channels, kind.type,
                       randomValues(61 * 37 * static_cast<std::size_t>(kind.channels), kind.type,
                                    static_cast<unsigned>(names.size())));
            names.push_back(name);
        }
    }
    return names;
}

std::string inputsIn(const Folder &folder, const std::vector<std::string> &names) {
    std::string text;
    for (const std::string &name : names) {
        text += " " + quoted(folder / name);
    }
    return text;
}

std::size_t occurrences(const std::string &text, const std::string &what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}

std::uint32_t crc32(const std::string &bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

std::string bigEndian(std::uint32_t value) {
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
            static_cast<char>(value)};
}

// A PNG whose header announces width x height 16-bit RGBA pixels; its few bytes of image data
// are never decoded by a tool that looks before it allocates.
void writeAnnouncingPng(const fs::path &path, std::uint32_t width, std::uint32_t height) {
    const auto chunk = [](const std::string &type, const std::string &data) {
        return bigEndian(static_cast<std::uint32_t>(data.size())) + type + data + bigEndian(crc32(type + data));
    };
    const std::string header = bigEndian(width) + bigEndian(height) + std::string("\x10\x06\x00\x00\x00", 5);
    std::ofstream out(path, std::ios::binary);
    out << std::string("\x89PNG\r\n\x1a\n", 8) << chunk("IHDR", header) << chunk("IDAT", std::string(64, '\0'))
        << chunk("IEND", "");
}

} // namespace

TEST(Batch, SeveralFilesAtOnceGiveTheBytesOfOneAtATime) {
    Folder folder;
    const std::vector<std::string> names = writeTextureSet(folder, 3);
    const std::string controls = "--tilt-forward 0.25 --invert-y ";
    ToolRun one = runTool(controls + "--jobs 1 --quiet --outdir " + quoted(folder / "one") + inputsIn(folder, names));
    ASSERT_EQ(one.status, 0) << one.output;
    ToolRun four = runTool(controls + "--jobs 4 --quiet --outdir " + quoted(folder / "four") + inputsIn(folder, names));
    ASSERT_EQ(four.status, 0) << four.output;
    for (const std::string &name : names) {
        SCOPED_TRACE(name);
        const std::vector<unsigned char> expected = bytesOf(folder / ("one/" + name));
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(bytesOf(folder / ("four/" + name)), expected);
    }
}

TEST(Batch, AFailedFileIsNamedAndTheOthersAreStillDone) {
    Folder folder;
    std::vector<std::string> names = writeTextureSet(folder, 2);
    std::ofstream(folder / "broken.png") << "not an image";
    names.insert(names.begin() + 3, "broken.png");
    const ToolRun run = runTool("--jobs 3 --outdir " + quoted(folder / "out") + inputsIn(folder, names));
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("broken.png: cannot read it"), std::string::npos) << run.output;
    for (const std::string &name : names) {
        EXPECT_EQ(fs::exists(folder / ("out/" + name)), name != "broken.png") << name;
    }
}

TEST(Batch, AFileThatAsksForMoreMemoryThanThereIsIsRefusedBeforeItIsRead) {
    Folder folder;
    writeAnnouncingPng(folder / "huge.png", 60000, 60000);
    ASSERT_LT(fs::file_size(folder / "huge.png"), 200u);
    // 60000 x 60000 pixels of 8 bytes in each of the host's two worlds: 2 x 26.8 GiB.
    const ToolRun run = runTool(quoted(folder / "huge.png") + " -o " + quoted(folder / "out.png"));
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("huge.png: 60000x60000 pixels at 16 bits need 53.6 GiB to process, more than the"),
              std::string::npos)
        << run.output;
    EXPECT_EQ(run.output.find("bad_alloc"), std::string::npos) << run.output;
    EXPECT_FALSE(fs::exists(folder / "out.png"));

    // A limit of the run's own: a 61 x 37 16-bit file takes 2 x 18,056 bytes (+ guards).
    const std::vector<std::string> names = writeTextureSet(folder, 1);
    const ToolRun limited =
        runTool("--max-memory 20000 " + quoted(folder / names[0]) + " -o " + quoted(folder / "limited.png"));
    EXPECT_EQ(limited.status, 1) << limited.output;
    EXPECT_NE(limited.output.find("more than the 19.5 KiB of memory this run may use"), std::string::npos)
        << limited.output;
}

TEST(Batch, FilesInFlightShareTheMemoryLimitAndStillAllRender) {
    // Room for one 16-bit file at a time (about 36 KB each): four workers take turns.
    Folder folder;
    std::vector<std::string> names;
    for (int i = 0; i < 8; ++i) {
        const std::string name = "map" + std::to_string(i) + ".png";
        writeImage(folder / name, 61, 37, 4, OIIO::TypeDesc::UINT16,
                   randomValues(61 * 37 * 4, OIIO::TypeDesc::UINT16, static_cast<unsigned>(i)));
        names.push_back(name);
    }
    const ToolRun shared =
        runTool("--jobs 4 --max-memory 60K --quiet --outdir " + quoted(folder / "shared") + inputsIn(folder, names));
    ASSERT_EQ(shared.status, 0) << shared.output;
    const ToolRun alone = runTool("--jobs 1 --quiet --outdir " + quoted(folder / "alone") + inputsIn(folder, names));
    ASSERT_EQ(alone.status, 0) << alone.output;
    for (const std::string &name : names) {
        EXPECT_EQ(bytesOf(folder / ("shared/" + name)), bytesOf(folder / ("alone/" + name))) << name;
    }
}

TEST(Batch, LossyOutputsAreSaidAloudOncePerRunAndCheckShowsTheLoss) {
    Folder folder;
    for (const char *name : {"a.png", "b.png"}) {
        writeImage(folder / name, 64, 64, 3, OIIO::TypeDesc::UINT8,
                   randomValues(64 * 64 * 3, OIIO::TypeDesc::UINT8, static_cast<unsigned>(name[0])));
    }
    const ToolRun run = runTool("--quiet " + quoted(folder / "a.png") + " -o " + quoted(folder / "a.jpg"));
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(occurrences(run.output, "lossy format"), 1u) << "--quiet keeps warnings: " << run.output;
    EXPECT_NE(run.output.find("PNG, TIFF or EXR"), std::string::npos) << run.output;

    const ToolRun batch = runTool("--outdir " + quoted(folder / "out") + " " + quoted(folder / "a.jpg") + " " +
                                  quoted(folder / "a.png") + " " + quoted(folder / "b.png"));
    EXPECT_EQ(occurrences(batch.output, "lossy format"), 1u) << batch.output;
    const ToolRun lossless = runTool(quoted(folder / "a.png") + " -o " + quoted(folder / "a-out.png"));
    EXPECT_EQ(occurrences(lossless.output, "lossy"), 0u) << lossless.output;

    // Read back, the JPEG is off unit length again; the PNG is not (beyond 8-bit steps).
    const ToolRun check = runTool("--check " + quoted(folder / "a.jpg") + " " + quoted(folder / "a-out.png"));
    const auto offShare = [&](const std::string &file) {
        const std::size_t at = check.output.find(file + ": ");
        const std::size_t share = check.output.find("off-length ", at);
        return std::stod(check.output.substr(share + 11));
    };
    EXPECT_GT(offShare("a.jpg"), 10.0) << check.output;
    EXPECT_LT(offShare("a-out.png"), 10.0) << check.output;
}

// Ctrl-C, and what a scheduler sends at a time limit or on pre-emption.
TEST(Batch, AnInterruptedRunLeavesNoPartialOutput) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(strsignal(signal));
        Folder folder;
        std::vector<std::string> names;
        for (int i = 0; i < 40; ++i) {
            const std::string name = "big" + std::to_string(i) + ".png";
            if (i == 0) {
                writeImage(folder / name, 512, 512, 4, OIIO::TypeDesc::UINT16,
                           randomValues(512 * 512 * 4, OIIO::TypeDesc::UINT16, 5));
            } else {
                fs::copy(folder / "big0.png", folder / name);
            }
            names.push_back(name);
        }
        const std::string command = platform::executableDirectory() + "/zephyrine-render";
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const std::string outdir = (folder / "out").string();
            std::vector<std::string> arguments = {command, "--jobs", "2", "--quiet", "--outdir", outdir};
            for (const std::string &name : names) {
                arguments.push_back((folder / name).string());
            }
            std::vector<char *> argv;
            for (std::string &argument : arguments) {
                argv.push_back(argument.data());
            }
            argv.push_back(nullptr);
            freopen("/dev/null", "w", stderr);
            execv(command.c_str(), argv.data());
            _exit(127);
        }
        // Interrupt once the first outputs are in place.
        for (int wait = 0; wait < 2000 && (!fs::exists(folder / "out") || fs::is_empty(folder / "out")); ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        kill(child, signal);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 130) << "a stopped run says so";
        std::size_t written = 0;
        const std::vector<unsigned char> expected = [&] {
            runTool(quoted(folder / "big0.png") + " -o " + quoted(folder / "reference.png"));
            return bytesOf(folder / "reference.png");
        }();
        for (const auto &entry : fs::directory_iterator(folder / "out")) {
            const std::string name = entry.path().filename().string();
            EXPECT_EQ(name.find("partial"), std::string::npos) << "left behind: " << name;
            EXPECT_EQ(bytesOf(entry.path()), expected) << name << " is not a whole render";
            ++written;
        }
        EXPECT_GT(written, 0u);
        EXPECT_LT(written, names.size()) << "the run stopped before the end";
    }
}

TEST(Batch, FramesInShuffledOrderInSeveralProcessesGiveTheSameBytes) {
    Folder folder;
    for (int frame = 1; frame <= 12; ++frame) {
        char name[32];
        std::snprintf(name, sizeof name, "shot.%04d.exr", frame);
        writeImage(folder / name, 40, 30, 4, OIIO::TypeDesc::HALF,
                   randomValues(40 * 30 * 4, OIIO::TypeDesc::HALF, static_cast<unsigned>(frame)));
    }
    const std::string pattern = quoted(folder / "shot.####.exr");
    const ToolRun inOrder = runTool("--tilt-upwards -0.5 --quiet --jobs 1 --frames 1-12 " + pattern + " -o " +
                                    quoted(folder / "a/o.####.exr"));
    ASSERT_EQ(inOrder.status, 0) << inOrder.output;
    // Three processes at once, each with its frames out of order.
    std::vector<std::thread> processes;
    std::vector<int> statuses(3, -1);
    const char *lists[] = {"9,2,5,12", "7,1,11,4", "3,10,6,8"};
    for (int i = 0; i < 3; ++i) {
        processes.emplace_back([&, i] {
            statuses[i] = runTool("--tilt-upwards -0.5 --quiet --frames " + std::string(lists[i]) + " " + pattern +
                                  " -o " + quoted(folder / "b/o.####.exr"))
                              .status;
        });
    }
    for (std::thread &process : processes) {
        process.join();
    }
    EXPECT_EQ(statuses, (std::vector<int>{0, 0, 0}));
    for (int frame = 1; frame <= 12; ++frame) {
        char name[32];
        std::snprintf(name, sizeof name, "o.%04d.exr", frame);
        EXPECT_EQ(bytesOf(folder / "b" / name), bytesOf(folder / "a" / name)) << name;
    }
}

TEST(PixelRows, SixteenBitFilesMapToTheEffectsRangeRoundedToNearest) {
    // The rule: v of 65535 is v * 32768 / 65535 of 32768, rounded to nearest (never a tie), and
    // back the same way; restated here in double precision.
    for (uint32_t v = 0; v <= 65535; ++v) {
        ASSERT_EQ(fullRangeToEffect16(v), static_cast<uint16_t>(std::lround(v * 32768.0 / 65535.0))) << v;
    }
    for (uint32_t v = 0; v <= 32768; ++v) {
        ASSERT_EQ(effectToFullRange16(v), static_cast<uint16_t>(std::lround(v * 65535.0 / 32768.0))) << v;
    }
}
