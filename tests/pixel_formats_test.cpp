// Channel read and write rules at 8, 16 and 32 bits, and image views.
#include "filter/pixel_array.h"
#include "filter/pixel_formats.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

TEST(PixelFormats, EightBitsReadByReciprocalSoTwentyFourValuesComeBackOneLower) {
    EXPECT_EQ(Pixel8::read(0), 0.0);
    EXPECT_EQ(Pixel8::read(255), 1.0);
    std::vector<int> lower;
    for (int v = 0; v < 256; ++v) {
        // The stated factors: times the double reciprocal of 255, then times 255.0, truncated.
        volatile double unit = static_cast<double>(v) * (1.0 / 255.0);
        volatile double product = unit * 255.0;
        const int stated = static_cast<int>(product);
        const int back = Pixel8::write(Pixel8::read(static_cast<uint8_t>(v)));
        ASSERT_EQ(back, stated) << v;
        if (back != v) {
            EXPECT_EQ(back, v - 1);
            lower.push_back(v);
        }
    }
    const std::vector<int> expected = {33,  37,  41,  45,  49,  53,  57,  61,  66,  74,  82,  90,
                                       98,  106, 114, 122, 132, 148, 164, 180, 196, 212, 228, 244};
    EXPECT_EQ(lower, expected);
}

TEST(PixelFormats, SixteenBitsUse32768AsWhiteAndKeepEveryStoredValue) {
    EXPECT_EQ(Pixel16::read(32768), 1.0);
    EXPECT_EQ(Pixel16::read(65535), 65535.0 / 32768.0) << "not clamped on reading";
    for (int v = 0; v <= 65535; ++v) {
        ASSERT_EQ(Pixel16::read(static_cast<uint16_t>(v)), v / 32768.0) << v;
        ASSERT_EQ(Pixel16::write(Pixel16::read(static_cast<uint16_t>(v))), v);
    }
}

TEST(PixelFormats, FloatIsWidenedAndRoundedBack) {
    for (float v : {0.0f, 1.0f, -0.75f, 3.5f, 1e-40f, std::numeric_limits<float>::infinity()}) {
        EXPECT_EQ(Pixel32::write(Pixel32::read(v)), v);
    }
    EXPECT_TRUE(std::isnan(Pixel32::write(Pixel32::read(std::nanf("")))));
}

TEST(PixelFormats, WritesTruncate) {
    struct Case {
        double value;
        int eight;
        int sixteen;
    };
    for (const Case c : {Case{0.5, 127, 16384}, Case{1.0, 255, 32768}, Case{0.0, 0, 0}, Case{0.9999999, 254, 32767},
                         Case{0.25, 63, 8192}}) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(Pixel8::write(c.value), c.eight);
        EXPECT_EQ(Pixel16::write(c.value), c.sixteen);
        EXPECT_EQ(Pixel32::write(c.value), static_cast<float>(c.value));
    }
}

TEST(PixelFormats, IntegerWritesAreDefinedForEveryDouble) {
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double value;
        int eight;
        int sixteen;
    };
    // Inside the channel type's range a product is truncated as it is, above the effect's
    // white at 16 bits too; only what the type cannot hold is made defined.
    for (const Case c : {Case{std::nan(""), 0, 0}, Case{-inf, 0, 0}, Case{inf, 255, 65535}, Case{1.5, 255, 49152},
                         Case{-0.3, 0, 0}, Case{1e300, 255, 65535}, Case{-1e300, 0, 0},
                         Case{1.0000000000000002, 255, 32768}, Case{65535.0 / 32768.0, 255, 65535},
                         Case{2.0, 255, 65535}, Case{1.99999, 255, 65535}, Case{1.9999, 255, 65532}}) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(Pixel8::write(c.value), c.eight);
        EXPECT_EQ(Pixel16::write(c.value), c.sixteen);
    }
}

TEST(PixelArrayView, BuiltFromADescriptor) {
    unsigned char bytes[64] = {};
    ImageDesc desc;
    desc.data = bytes + 32;
    desc.width = 2;
    desc.height = 3;
    desc.rowBytes = -16;
    desc.bitDepth = 8; // not read: the view's type decides the pixel size
    desc.originX = 4;
    desc.pixelAspect = 2.0;
    desc.valid = true;
    const auto view = PixelArray<Pixel32, 0, 0>::fromDesc(desc);
    EXPECT_EQ(view.pixelBytes, 16);
    EXPECT_TRUE(view.hasData);
    EXPECT_EQ(view.originX, 4);
    EXPECT_EQ(view.pixelAspect, 2.0);
    EXPECT_EQ(view.row(1), bytes + 16) << "a negative pitch walks backwards";
    EXPECT_EQ(view.row(2), bytes);

    desc.data = nullptr;
    EXPECT_FALSE((PixelArray<Pixel8, 0, 0>::fromDesc(desc).hasData)) << "valid but no data";
    desc.data = bytes;
    desc.valid = false;
    EXPECT_FALSE((PixelArray<Pixel8, 0, 0>::fromDesc(desc).hasData));
}
