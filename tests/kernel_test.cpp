// The vector arithmetic at every depth, rendered through the adapter's render operations.
#include "render_support.h"

#include "filter/pixel_formats.h"
#include "filter/render_driver.h"
#include "filter/vector_transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

struct Controls {
    double forward = 0, sideways = 0, upwards = 0;
    bool invertX = false, invertY = false, invertZ = false, invertAll = false, traditional = false;
};

void apply(RenderHarness &harness, const Controls &c) {
    harness.parameters.setFloat(kTiltForward, c.forward);
    harness.parameters.setFloat(kTiltSideways, c.sideways);
    harness.parameters.setFloat(kTiltUpwards, c.upwards);
    harness.parameters.setCheckbox(kInvertX, c.invertX);
    harness.parameters.setCheckbox(kInvertY, c.invertY);
    harness.parameters.setCheckbox(kInvertZ, c.invertZ);
    harness.parameters.setCheckbox(kInvertAll, c.invertAll);
    harness.parameters.setCheckbox(kTraditional, c.traditional);
}

// Renders one pixel at a depth and returns its four channels (A, R, G, B).
template <class T> std::vector<T> renderPixel(const Controls &c, std::vector<T> argb, int bitDepth) {
    RenderHarness harness;
    apply(harness, c);
    hostsim::World source({1, 1, bitDepth});
    hostsim::World output({1, 1, bitDepth});
    source.set<T>(0, 0, argb[0], argb[1], argb[2], argb[3]);
    EXPECT_EQ(harness.render(source, output), PF_Err_NONE);
    return output.get<T>(0, 0);
}

using P8 = std::vector<uint8_t>;
using P16 = std::vector<uint16_t>;
using P32 = std::vector<float>;

} // namespace

TEST(Kernel, EightBitWorkedExamples) {
    struct Case {
        const char *name;
        Controls controls;
        P8 in, out;
    };
    const Controls defaults;
    Controls traditional;
    traditional.traditional = true;
    Controls invertX;
    invertX.invertX = true;
    Controls invertAll;
    invertAll.invertAll = true;
    Controls invertXAndAll = invertAll;
    invertXAndAll.invertX = true;
    Controls traditionalInvertX = traditional;
    traditionalInvertX.invertX = true;
    const auto tilt = [](double f, double s, double u) {
        Controls c;
        c.forward = f;
        c.sideways = s;
        c.upwards = u;
        return c;
    };
    const Case cases[] = {
        {"defaults flat", defaults, {255, 128, 128, 255}, {255, 127, 127, 254}},
        {"defaults black", defaults, {255, 0, 0, 0}, {255, 53, 53, 53}},
        {"defaults white", defaults, {255, 255, 255, 255}, {255, 201, 201, 201}},
        {"defaults alpha 33 passes through", defaults, {33, 128, 128, 255}, {33, 127, 127, 254}},
        {"defaults mixed", defaults, {0, 64, 200, 30}, {0, 68, 194, 36}},
        {"traditional black", traditional, {255, 0, 0, 0}, {255, 127, 127, 127}},
        {"traditional red", traditional, {255, 255, 0, 0}, {255, 255, 127, 127}},
        {"traditional flat", traditional, {255, 128, 128, 255}, {255, 179, 179, 231}},
        {"invert x", invertX, {255, 200, 128, 255}, {255, 64, 127, 238}},
        {"invert all", invertAll, {255, 200, 128, 255}, {255, 64, 127, 16}},
        {"invert x and all", invertXAndAll, {255, 200, 128, 255}, {255, 190, 127, 16}},
        {"traditional invert x", traditionalInvertX, {255, 200, 128, 255}, {255, 54, 174, 220}},
        {"forward 1", tilt(1, 0, 0), {255, 10, 200, 30}, {255, 127, 127, 255}},
        {"forward -1", tilt(-1, 0, 0), {255, 10, 200, 30}, {255, 127, 127, 0}},
        {"forward -1 high z", tilt(-1, 0, 0), {255, 10, 200, 200}, {255, 127, 127, 255}},
        {"sideways 0.5", tilt(0, 0.5, 0), {255, 128, 128, 255}, {255, 217, 127, 217}},
        {"sideways -1", tilt(0, -1, 0), {255, 128, 128, 255}, {255, 0, 127, 127}},
        {"upwards 0.5", tilt(0, 0, 0.5), {255, 128, 128, 255}, {255, 127, 217, 217}},
        {"upwards -0.5", tilt(0, 0, -0.5), {255, 128, 128, 255}, {255, 127, 37, 218}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(renderPixel<uint8_t>(c.controls, c.in, 8), c.out);
    }
}

TEST(Kernel, SixteenBitExamples) {
    const Controls defaults;
    EXPECT_EQ(renderPixel<uint16_t>(defaults, {32768, 16384, 16384, 32768}, 16), (P16{32768, 16384, 16384, 32768}));
    EXPECT_EQ(renderPixel<uint16_t>(defaults, {32768, 0, 0, 0}, 16), (P16{32768, 6924, 6924, 6924}));
    EXPECT_EQ(renderPixel<uint16_t>(defaults, {16384, 32768, 16384, 16384}, 16), (P16{16384, 32768, 16384, 16384}));
}

TEST(Kernel, FloatExamples) {
    const Controls defaults;
    EXPECT_EQ(renderPixel<float>(defaults, {1.0f, 0.5f, 0.5f, 1.0f}, 32), (P32{1.0f, 0.5f, 0.5f, 1.0f}));
    EXPECT_EQ(renderPixel<float>(defaults, {0.5f, 2.0f, 0.5f, 0.5f}, 32), (P32{0.5f, 1.0f, 0.5f, 0.5f}))
        << "out-of-range input is scaled like any other vector";
    EXPECT_EQ(renderPixel<float>(defaults, {0.25f, 0.5f, 0.5f, 0.5f}, 32), (P32{0.25f, 0.5f, 0.5f, 0.5f}))
        << "the zero vector is left unscaled";

    Controls traditional;
    traditional.traditional = true;
    const P32 tilted = renderPixel<float>(traditional, {1.0f, -0.6f, 0.0f, 0.8f}, 32);
    EXPECT_EQ(tilted[0], 1.0f);
    EXPECT_EQ(tilted[2], 0.5f);
    EXPECT_LE(std::fabs(tilted[1] - 0.2f), std::nextafter(0.2f, 1.0f) - 0.2f);
    EXPECT_LE(std::fabs(tilted[3] - 0.9f), std::nextafter(0.9f, 1.0f) - 0.9f);

    const P32 withNaN = renderPixel<float>(defaults, {1.0f, std::nanf(""), 0.25f, 1.0f}, 32);
    EXPECT_TRUE(std::isnan(withNaN[1]));
    EXPECT_EQ(withNaN[2], 0.25f) << "re-encoded only: (2 * 0.25 - 1 + 1) * 0.5";
    EXPECT_EQ(withNaN[3], 1.0f);
}

TEST(Kernel, ControlsOutsideTheirRangeAreDefined) {
    // Infinite, NaN and huge tilts reach the integer writes as NaN or huge values: the writes
    // are defined instead of invoking undefined behaviour (the sanitizer build checks this).
    const double inf = std::numeric_limits<double>::infinity();
    for (double t : {inf, -inf, std::nan(""), 1e300, -7.0, 3.0}) {
        SCOPED_TRACE(t);
        Controls c;
        c.forward = t;
        c.sideways = t;
        c.upwards = -t;
        for (const P8 &in : {P8{255, 10, 200, 30}, P8{0, 128, 128, 128}, P8{1, 255, 255, 255}}) {
            const P8 out8 = renderPixel<uint8_t>(c, in, 8);
            EXPECT_EQ(out8[0], in[0]) << "alpha passes through";
        }
        // Whatever the colour channels become, alpha above the effect's white passes through.
        const P16 out16 = renderPixel<uint16_t>(c, {65535, 100, 30000, 65535}, 16);
        EXPECT_EQ(out16[0], 65535);
    }
}

// The arithmetic with every product stored before it is used, so it cannot be fused into a
// multiply-add whatever the compiler is told: the kernel must give exactly these bits.
static Vector3 unfusedReference(const VectorControls &c, double r, double g, double b) {
    volatile double x = r * 2.0, y = g * 2.0, z = b * 2.0;
    x = x - 1.0;
    y = y - 1.0;
    z = z - 1.0;
    const auto tilt = [](double t, volatile double &toward, volatile double &o1, volatile double &o2) {
        if (t == 0.0 || std::isnan(t)) {
            return;
        }
        const double k = 1.0 - std::fabs(t);
        o1 = o1 * k;
        o2 = o2 * k;
        volatile double part = (1.0 - toward) * t;
        toward = toward + part;
    };
    tilt(c.tiltForward, z, x, y);
    tilt(c.tiltSideways, x, y, z);
    tilt(c.tiltUpwards, y, x, z);
    volatile double yy = y * y, xx = x * x, zz = z * z;
    volatile double s = yy + xx;
    s = s + zz;
    if (s != 0.0 && !std::isnan(s)) {
        const double inverse = 1.0 / std::sqrt(s);
        x = x * inverse;
        y = y * inverse;
        z = z * inverse;
    }
    return {(x + 1.0) * 0.5, (y + 1.0) * 0.5, (z + 1.0) * 0.5};
}

TEST(Kernel, ArithmeticIsNeverContracted) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> unit(0.0, 1.0), signedUnit(-1.0, 1.0);
    VectorControls c;
    c.tiltForward = static_cast<double>(0.3f);
    c.tiltSideways = static_cast<double>(-0.7f);
    c.tiltUpwards = static_cast<double>(0.55f);
    for (int i = 0; i < 100000; ++i) {
        const double r = unit(random), g = unit(random), b = unit(random);
        const Vector3 kernel = transformVector(c, r, g, b);
        const Vector3 reference = unfusedReference(c, r, g, b);
        ASSERT_EQ(std::memcmp(&kernel, &reference, sizeof kernel), 0) << r << " " << g << " " << b;
    }
}

TEST(Kernel, TiltsTakeEffectAtSinglePrecision) {
    EXPECT_EQ(throughSinglePrecision(0.1), 0.10000000149011612);
    EXPECT_EQ(throughSinglePrecision(-1.0), -1.0);
    EXPECT_EQ(throughSinglePrecision(1e300), std::numeric_limits<double>::infinity());
    EXPECT_EQ(throughSinglePrecision(-1e300), -std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isnan(throughSinglePrecision(std::nan(""))));

    // A float frame rendered with tilt 0.1 is the arithmetic, restated above, with the narrowed tilt.
    Controls c;
    c.forward = 0.1;
    const P32 rendered = renderPixel<float>(c, {1.0f, 0.3f, 0.6f, 0.7f}, 32);
    VectorControls narrowed;
    narrowed.tiltForward = static_cast<double>(0.1f);
    const Vector3 expected = unfusedReference(narrowed, 0.3f, 0.6f, 0.7f);
    EXPECT_EQ(rendered, (P32{1.0f, static_cast<float>(expected.x), static_cast<float>(expected.y),
                             static_cast<float>(expected.z)}));
}

// The vector kernels fold two pairs of steps into one multiplication each; both folds are
// checked here over every value they meet, with the steps restated through `volatile`.
TEST(Kernel, ReadingAndDoublingAreOneMultiplicationForEveryChannelValue) {
    const auto foldHolds = [](double factor, int32_t values) {
        for (int32_t c = 0; c < values; ++c) {
            volatile double unit = static_cast<double>(c) * factor;
            volatile double twice = unit * 2.0;
            volatile double folded = static_cast<double>(c) * (2.0 * factor);
            if (twice != folded) {
                return testing::AssertionFailure() << "channel value " << c;
            }
        }
        return testing::AssertionSuccess();
    };
    EXPECT_TRUE(foldHolds(1.0 / 255.0, 256));
    EXPECT_TRUE(foldHolds(1.0 / 32768.0, 65536));
}

TEST(Kernel, HalvingAndTheWritesScaleAreOneMultiplication) {
    // Every encoded component the arithmetic can give: the normalised range and its ends, the
    // values just inside and outside them, zero-length and NaN cases, and random values.
    std::vector<double> components = {-1.0, 1.0, 0.0, -0.0, std::nextafter(-1.0, 0.0), std::nextafter(-1.0, -2.0),
                                      std::nextafter(1.0, 2.0), 1e-300, -1e-300, 5e-324, 1e300, -1e300,
                                      INFINITY, -INFINITY, NAN};
    std::mt19937_64 random(3);
    std::uniform_real_distribution<double> normalised(-1.0, 1.0);
    for (int i = 0; i < 1000000; ++i) {
        components.push_back(normalised(random));
    }
    for (double maximum : {255.0, 32768.0}) {
        for (double v : components) {
            volatile double plusOne = v + 1.0;
            volatile double halved = plusOne * 0.5;
            volatile double written = halved * maximum;
            volatile double folded = plusOne * (0.5 * maximum);
            const double a = written, b = folded;
            ASSERT_TRUE(std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b)))
                << "v = " << v << ", maximum " << maximum;
        }
    }
}
