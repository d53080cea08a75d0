// zephyrine-render run as a process, and image files written and read back, for the tests of
// the tool.
#pragma once

#include "platform/module.h"

#include <OpenImageIO/imageio.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;


struct ToolRun {
    int status;
    std::string output; // standard output and standard error together
};

inline ToolRun runTool(const std::string &arguments, const std::string &prefix = "",
               const std::string &folder = platform::executableDirectory()) {
    const std::string command = prefix + folder + "/zephyrine-render " + arguments + " 2>&1";
    ToolRun run{-1, {}};
    if (FILE *pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
            run.output.append(buffer, n);
        }
        const int status = pclose(pipe);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return run;
}

// Writes an image whose channels are given as floats at unit scale (or, for integer types,
// as the integer values themselves).
inline void writeImage(const fs::path &path, int width, int height, int channels, OIIO::TypeDesc type,
                const std::vector<float> &values, const std::string &description = "") {
    auto out = OIIO::ImageOutput::create(path.string());
    ASSERT_TRUE(out) << OIIO::geterror();
    OIIO::ImageSpec spec(width, height, channels, type);
    spec.attribute("oiio:UnassociatedAlpha", 1);
    if (!description.empty()) {
        spec.attribute("ImageDescription", description);
    }
    ASSERT_TRUE(out->open(path.string(), spec)) << out->geterror();
    if (type == OIIO::TypeDesc::UINT8) {
        std::vector<uint8_t> integers(values.begin(), values.end());
        ASSERT_TRUE(out->write_image(type, integers.data()));
    } else if (type == OIIO::TypeDesc::UINT16) {
        std::vector<uint16_t> integers(values.begin(), values.end());
        ASSERT_TRUE(out->write_image(type, integers.data()));
    } else {
        ASSERT_TRUE(out->write_image(OIIO::TypeDesc::FLOAT, values.data()));
    }
    ASSERT_TRUE(out->close());
}

struct ReadBack {
    OIIO::ImageSpec spec;
    std::vector<float> values; // integer types as their integer values
};

inline ReadBack readImage(const fs::path &path) {
    ReadBack result;
    OIIO::ImageSpec config;
    config.attribute("oiio:UnassociatedAlpha", 1);
    auto in = OIIO::ImageInput::open(path.string(), &config);
    if (!in) {
        ADD_FAILURE() << "cannot read " << path << ": " << OIIO::geterror();
        return result;
    }
    result.spec = in->spec();
    const std::size_t count = static_cast<std::size_t>(result.spec.width) * result.spec.height * result.spec.nchannels;
    if (result.spec.format == OIIO::TypeDesc::UINT8) {
        std::vector<uint8_t> integers(count);
        in->read_image(0, 0, 0, result.spec.nchannels, result.spec.format, integers.data());
        result.values.assign(integers.begin(), integers.end());
    } else if (result.spec.format == OIIO::TypeDesc::UINT16) {
        std::vector<uint16_t> integers(count);
        in->read_image(0, 0, 0, result.spec.nchannels, result.spec.format, integers.data());
        result.values.assign(integers.begin(), integers.end());
    } else {
        result.values.resize(count);
        in->read_image(0, 0, 0, result.spec.nchannels, OIIO::TypeDesc::FLOAT, result.values.data());
    }
    return result;
}

// A fresh folder of the test's own, removed with everything in it.
class Folder {
public:
    Folder() : path_(fs::temp_directory_path() / ("zephyrine-cli-" + std::to_string(getpid()) + "-" +
                                                   std::to_string(counter++))) {
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~Folder() {
        std::error_code ignored;
        fs::permissions(path_, fs::perms::owner_all, ignored);
        fs::remove_all(path_, ignored);
    }
    fs::path operator/(const std::string &name) const { return path_ / name; }
    const fs::path &path() const { return path_; }

private:
    static inline int counter = 0;
    fs::path path_;
};

inline std::string quoted(const fs::path &path) { return "'" + path.string() + "'"; }

