// The C interface as a caller in another language meets it: refused arguments with a status and
// a message, row strides, renders in place, alpha, and several threads on one renderer.
#include "zephyrine/zephyrine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Renderer {
    Renderer() : handle(zephyrine_open(nullptr)) {}
    ~Renderer() { zephyrine_close(handle); }
    zephyrine_renderer *handle;
};

zephyrine_image imageOf(std::vector<uint8_t> &pixels, int32_t width, int32_t height, int32_t channels,
                        int64_t rowBytes = 0) {
    return {pixels.data(), width, height, rowBytes != 0 ? rowBytes : width * channels, channels, ZEPHYRINE_U8};
}

// Every channel value, pixel after pixel.
std::vector<uint8_t> ramp(std::size_t bytes) {
    std::vector<uint8_t> values(bytes);
    for (std::size_t i = 0; i < bytes; ++i) {
        values[i] = static_cast<uint8_t>(i * 37 + 11);
    }
    return values;
}

} // namespace

TEST(CInterface, WorkedPixelsRenderInPlaceAndAcrossRowStrides) {
    Renderer renderer;
    ASSERT_NE(renderer.handle, nullptr) << zephyrine_last_error();
    // (255, 128, 128) is (1, 1/255, 1/255), a hair over unit length: rescaled, each channel lands
    // just under the value it had and is truncated, to (254, 127, 127). Alpha is kept as given.
    std::vector<uint8_t> pixel{255, 128, 128, 9};
    zephyrine_image image = imageOf(pixel, 1, 1, 4);
    ASSERT_EQ(zephyrine_render(renderer.handle, &image, &image, nullptr), ZEPHYRINE_OK) << zephyrine_last_error();
    EXPECT_EQ(pixel, (std::vector<uint8_t>{254, 127, 127, 9}));

    // Rows with padding on either side give the packed rows' pixels, and leave the padding alone.
    const int32_t width = 7, height = 5, padding = 5;
    std::vector<uint8_t> packed = ramp(width * height * 3), packedOut(packed.size());
    std::vector<uint8_t> padded(static_cast<std::size_t>((width * 3 + padding) * height), 0xEE);
    for (int32_t y = 0; y < height; ++y) {
        std::memcpy(&padded[static_cast<std::size_t>(y * (width * 3 + padding))], &packed[y * width * 3], width * 3);
    }
    std::vector<uint8_t> paddedOut(padded.size(), 0xEE);
    zephyrine_controls controls;
    zephyrine_default_controls(&controls);
    controls.tilt_sideways = 0.4;
    controls.invert_y = 1;
    zephyrine_image from = imageOf(packed, width, height, 3), to = imageOf(packedOut, width, height, 3);
    zephyrine_image fromPadded = imageOf(padded, width, height, 3, width * 3 + padding);
    zephyrine_image toPadded = imageOf(paddedOut, width, height, 3, width * 3 + padding);
    ASSERT_EQ(zephyrine_render(renderer.handle, &from, &to, &controls), ZEPHYRINE_OK);
    ASSERT_EQ(zephyrine_render(renderer.handle, &fromPadded, &toPadded, &controls), ZEPHYRINE_OK);
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t *row = &paddedOut[static_cast<std::size_t>(y * (width * 3 + padding))];
        EXPECT_EQ(std::memcmp(row, &packedOut[y * width * 3], width * 3), 0) << "row " << y;
        EXPECT_EQ(std::vector<uint8_t>(row + width * 3, row + width * 3 + padding), std::vector<uint8_t>(padding, 0xEE));
    }
}

TEST(CInterface, RefusedArgumentsSayWhy) {
    Renderer renderer;
    ASSERT_NE(renderer.handle, nullptr) << zephyrine_last_error();
    std::vector<uint8_t> pixels(4 * 4 * 4);
    zephyrine_controls tilted;
    zephyrine_default_controls(&tilted);
    tilted.tilt_upwards = 1.5;
    zephyrine_controls unsized;
    zephyrine_default_controls(&unsized);
    unsized.size = 8;
    struct Case {
        const char *what;
        zephyrine_image source;
        zephyrine_controls *controls;
        const char *words;
    };
    const zephyrine_image good = imageOf(pixels, 4, 4, 4);
    auto changed = [&](auto change) {
        zephyrine_image image = good;
        change(image);
        return image;
    };
    const Case cases[] = {
        {"no pixels", changed([](auto &i) { i.pixels = nullptr; }), nullptr, "source is null"},
        {"two channels", changed([](auto &i) { i.channels = 2; }), nullptr, "3 (RGB) or 4 (RGBA)"},
        {"unknown type", changed([](auto &i) { i.type = 9; }), nullptr, "ZEPHYRINE_U8"},
        {"no rows", changed([](auto &i) { i.height = 0; }), nullptr, "at least 1"},
        {"short rows", changed([](auto &i) { i.row_bytes = 15; }), nullptr, "fewer than its 16 bytes"},
        {"odd 16-bit rows", changed([](auto &i) { i.type = ZEPHYRINE_U16, i.width = 1, i.row_bytes = 9; }), nullptr,
         "multiples of its channel size"},
        {"tilt out of range", good, &tilted, "tilt_upwards must be a number from -1 to 1"},
        {"controls from no header", good, &unsized, "sizeof(zephyrine_controls)"},
    };
    for (const Case &c : cases) {
        zephyrine_image destination = good;
        EXPECT_EQ(zephyrine_render(renderer.handle, &c.source, &destination, c.controls), ZEPHYRINE_INVALID_ARGUMENT)
            << c.what;
        EXPECT_NE(std::string(zephyrine_last_error()).find(c.words), std::string::npos)
            << c.what << ": " << zephyrine_last_error();
    }
    zephyrine_image smaller = changed([](auto &i) { i.width = 3; });
    EXPECT_EQ(zephyrine_render(renderer.handle, &good, &smaller, nullptr), ZEPHYRINE_INVALID_ARGUMENT);
    EXPECT_EQ(zephyrine_render(nullptr, &good, &good, nullptr), ZEPHYRINE_INVALID_ARGUMENT);
    // A call that succeeds clears the thread's message.
    EXPECT_EQ(zephyrine_render(renderer.handle, &good, &good, nullptr), ZEPHYRINE_OK);
    EXPECT_STREQ(zephyrine_last_error(), "");
    EXPECT_EQ(zephyrine_open("/nowhere/zephyrine.so"), nullptr);
    EXPECT_NE(std::string(zephyrine_last_error()).find("/nowhere/zephyrine.so"), std::string::npos);
}

TEST(CInterface, ThreadsRenderAtOnceAndKeepTheirOwnErrors) {
    Renderer renderer;
    ASSERT_NE(renderer.handle, nullptr) << zephyrine_last_error();
    const int32_t width = 301, height = 97;
    const std::vector<uint8_t> source = ramp(width * height * 4);
    std::vector<uint8_t> expected(source.size());
    std::vector<uint8_t> input = source;
    zephyrine_image from = imageOf(input, width, height, 4), to = imageOf(expected, width, height, 4);
    ASSERT_EQ(zephyrine_render(renderer.handle, &from, &to, nullptr), ZEPHYRINE_OK);

    std::vector<std::string> failures(2);
    std::vector<std::thread> threads;
    for (int t = 0; t < 2; ++t) {
        threads.emplace_back([&, t] {
            std::vector<uint8_t> in = source, out(source.size());
            zephyrine_image a = imageOf(in, width, height, 4), b = imageOf(out, width, height, 4);
            for (int round = 0; round < 10; ++round) {
                if (zephyrine_render(renderer.handle, &a, &b, nullptr) != ZEPHYRINE_OK || out != expected) {
                    failures[t] = "round " + std::to_string(round) + " differs";
                }
            }
            // One thread fails a call; the other's message stays empty.
            if (t == 1) {
                zephyrine_render(renderer.handle, nullptr, &b, nullptr);
            }
            const std::string message = zephyrine_last_error();
            if ((t == 1) == message.empty()) {
                failures[t] += " message: '" + message + "'";
            }
        });
    }
    for (std::thread &thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failures, std::vector<std::string>(2));
}

TEST(CInterface, IdentityAndLengthCheck) {
    EXPECT_STREQ(zephyrine_version(), ZEPHYRINE_VERSION);
    EXPECT_EQ(zephyrine_api_version(), ZEPHYRINE_API_VERSION);
    Renderer renderer;
    ASSERT_NE(renderer.handle, nullptr) << zephyrine_last_error();
    EXPECT_EQ(std::string(zephyrine_about(renderer.handle)).rfind("Zephyrine", 0), 0u);
    EXPECT_EQ(std::string(zephyrine_about(renderer.handle)).find('\r'), std::string::npos);
    // (0, 0, 0) decodes as (-1, -1, -1), of length sqrt(3); (128, 128, 255) is within one code value.
    std::vector<uint8_t> pixels{0, 0, 0, 128, 128, 255};
    const zephyrine_image image = imageOf(pixels, 2, 1, 3);
    zephyrine_length_check found{};
    found.size = sizeof found;
    ASSERT_EQ(zephyrine_check(&image, 0, &found), ZEPHYRINE_OK);
    EXPECT_EQ(found.pixels, 2u);
    EXPECT_EQ(found.off_share, 0.5);
    EXPECT_DOUBLE_EQ(found.maximum, std::sqrt(3.0));
    EXPECT_EQ(zephyrine_release_buffers(renderer.handle), ZEPHYRINE_OK);
}
