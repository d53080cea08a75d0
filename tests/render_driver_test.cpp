// Row bands, progress and interruption, image bounds and odd input, through the filter and
// the adapter's render operations.
#include "alpha_rule.h"
#include "render_support.h"

#include "filter/pixel_formats.h"
#include "filter/row_kernels.h"
#include "filter/zephyrine_filter.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>
#include <vector>

namespace {

// A framework host that counts progress calls and can answer with a code from call N on.
class ProgressHost : public CorvanthisHost {
public:
    ProgressHost() : CorvanthisHost("n", "c", "d") {}
    PF_Err progress(int32_t current, int32_t total, int32_t threadIndex) override {
        EXPECT_EQ(current, 0);
        EXPECT_EQ(total, 1);
        threadIndexes.push_back(threadIndex);
        return static_cast<int>(threadIndexes.size()) >= answerFromCall ? answer : noError();
    }
    std::vector<int32_t> threadIndexes;
    int answerFromCall = 1;
    PF_Err answer = PF_Err_NONE;
};

using Filter8 = ZephyrineFilter<PixelArray<Pixel8, 0, 0>, ProgressHost>;

Filter8 filterOver(ProgressHost &host, hostsim::World &source, hostsim::World &output) {
    Filter8 filter(&host);
    filter.input = PixelArray<Pixel8, 0, 0>::fromDesc(describe(source));
    filter.output = PixelArray<Pixel8, 0, 0>::fromDesc(describe(output));
    return filter;
}

// The rows of an 8-bit world that hold something other than the fill byte 0xAA.
std::vector<int> writtenRows(hostsim::World &world) {
    std::vector<int> rows;
    for (int32_t y = 0; y < world.shape().height; ++y) {
        if (world.get<uint8_t>(0, y) != std::vector<uint8_t>(4, 0xAA)) {
            rows.push_back(y);
        }
    }
    return rows;
}

} // namespace

TEST(RowBands, FiveRowsInTwoJobs) {
    ProgressHost host;
    hostsim::World source({1, 5, 8}), output({1, 5, 8});
    output.fill(0xAA);
    Filter8 filter = filterOver(host, source, output);
    EXPECT_EQ(filter.applyRows(0, 2, 4), PF_Err_NONE);
    EXPECT_EQ(writtenRows(output), (std::vector<int>{0, 1}));
    EXPECT_EQ(host.threadIndexes, (std::vector<int32_t>{4, 4})) << "one progress call per row, with the thread index";
    EXPECT_EQ(filter.applyRows(1, 2, 4), PF_Err_NONE);
    EXPECT_EQ(writtenRows(output), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(host.threadIndexes.size(), 5u);
}

TEST(RowBands, ThreeRowsInFourJobs) {
    ProgressHost host;
    hostsim::World source({1, 3, 8}), output({1, 3, 8});
    output.fill(0xAA);
    Filter8 filter = filterOver(host, source, output);
    for (int job = 0; job < 3; ++job) {
        EXPECT_EQ(filter.applyRows(job, 4, 0), PF_Err_NONE);
    }
    EXPECT_TRUE(host.threadIndexes.empty()) << "empty bands do not ask for progress";
    EXPECT_EQ(filter.applyRows(3, 4, 0), PF_Err_NONE);
    EXPECT_EQ(writtenRows(output), (std::vector<int>{0, 1, 2}));
}

TEST(RowBands, InterruptionAfterTheFirstRowLeavesTheRestUnwritten) {
    ProgressHost host;
    host.answer = PF_Interrupt_CANCEL;
    hostsim::World source({2, 4, 8}), output({2, 4, 8});
    output.fill(0xAA);
    Filter8 filter = filterOver(host, source, output);
    EXPECT_EQ(filter.applyRows(0, 1, 0), PF_Interrupt_CANCEL);
    EXPECT_EQ(writtenRows(output), (std::vector<int>{0}));
}

TEST(RowBands, ZeroWidthStillReportsEveryRow) {
    ProgressHost host;
    hostsim::World source({0, 3, 8}), output({0, 3, 8});
    Filter8 filter = filterOver(host, source, output);
    EXPECT_EQ(filter.applyRows(0, 1, 0), PF_Err_NONE);
    EXPECT_EQ(host.threadIndexes.size(), 3u);
}

TEST(RenderBounds, SmallerOutputIsNeverWrittenOutside) {
    for (int depth : {8, 16, 32}) {
        for (bool bottomUp : {false, true}) {
            SCOPED_TRACE(std::to_string(depth) + (bottomUp ? " bottom-up" : ""));
            RenderHarness harness;
            hostsim::World source({9, 7, depth, 12, bottomUp}), output({5, 3, depth, 4, !bottomUp});
            source.fill(0x40);
            output.fill(0x11);
            EXPECT_EQ(harness.render(source, output), PF_Err_NONE);
            EXPECT_TRUE(source.guardsIntact());
            EXPECT_TRUE(output.guardsIntact());
            // Every output pixel was processed: none keeps the fill pattern.
            const std::vector<unsigned char> bytes = output.contents();
            const std::size_t pixel = static_cast<std::size_t>(depth / 2);
            for (std::size_t at = 0; at < bytes.size(); at += pixel) {
                EXPECT_NE(std::vector<unsigned char>(bytes.begin() + at, bytes.begin() + at + pixel),
                          std::vector<unsigned char>(pixel, 0x11));
            }
        }
    }
}

TEST(RenderBounds, PaddedAndBottomUpRowsGiveTheSamePixels) {
    for (int depth : {8, 16, 32}) {
        SCOPED_TRACE(depth);
        RenderHarness harness;
        harness.parameters.setFloat(kTiltSideways, 0.25);
        hostsim::World plainIn({6, 5, depth}), plainOut({6, 5, depth});
        hostsim::World oddIn({6, 5, depth, 20, true}), oddOut({6, 5, depth, 8, false});
        for (int32_t y = 0; y < 5; ++y) {
            for (int32_t x = 0; x < 6; ++x) {
                for (hostsim::World *w : {&plainIn, &oddIn}) {
                    unsigned char *p = w->channels<unsigned char>(x, y);
                    for (int b = 0; b < depth / 2; ++b) {
                        p[b] = static_cast<unsigned char>(x * 37 + y * 11 + b * 5);
                    }
                }
            }
        }
        ASSERT_EQ(harness.render(plainIn, plainOut), PF_Err_NONE);
        ASSERT_EQ(harness.render(oddIn, oddOut), PF_Err_NONE);
        EXPECT_EQ(plainOut.contents(), oddOut.contents());
        EXPECT_TRUE(oddIn.guardsIntact() && oddOut.guardsIntact());
    }
}

TEST(RenderBounds, AlphaOfEveryStoredValueSurvivesPaddedBottomUpFrames) {
    // Alpha takes every value an integer channel can hold, and random bit patterns in float
    // (NaNs and denormals among them), with tilts on, rows padded and running backwards, on
    // three threads, at every kernel level.
    for (int depth : {8, 16, 32}) {
        hostsim::World source({253, 260, depth, 6, true});
        std::mt19937 random(static_cast<unsigned>(depth) + 40u);
        uint32_t next = 0;
        for (int32_t y = 0; y < 260; ++y) {
            for (int32_t x = 0; x < 253; ++x, ++next) {
                unsigned char *pixel = source.channels<unsigned char>(x, y);
                const auto colour = std::array<uint32_t, 3>{static_cast<uint32_t>(random()), static_cast<uint32_t>(random()),
                                                         static_cast<uint32_t>(random())};
                if (depth == 8) {
                    source.set<uint8_t>(x, y, static_cast<uint8_t>(next), static_cast<uint8_t>(colour[0]),
                                        static_cast<uint8_t>(colour[1]), static_cast<uint8_t>(colour[2]));
                } else if (depth == 16) {
                    source.set<uint16_t>(x, y, static_cast<uint16_t>(next), static_cast<uint16_t>(colour[0] % 32769),
                                         static_cast<uint16_t>(colour[1] % 32769),
                                         static_cast<uint16_t>(colour[2] % 32769));
                } else {
                    const float rgb[3] = {static_cast<float>(colour[0] % 1001) / 1000.0f,
                                          static_cast<float>(colour[1] % 1001) / 1000.0f,
                                          static_cast<float>(colour[2] % 1001) / 1000.0f};
                    const auto alphaBits = static_cast<uint32_t>(random());
                    std::memcpy(pixel, &alphaBits, sizeof alphaBits);
                    std::memcpy(pixel + 4, rgb, sizeof rgb);
                }
            }
        }
        for (VectorLevel level :
             {VectorLevel::scalar, VectorLevel::sse2, VectorLevel::avx2, VectorLevel::avx512, VectorLevel::neon}) {
            if (!forceVectorLevel(level)) {
                continue;
            }
            SCOPED_TRACE(testing::Message() << depth << "-bit, " << vectorLevelName(level));
            RenderHarness harness;
            harness.sim.script().processors = 3;
            harness.parameters.setFloat(kTiltForward, -0.75);
            harness.parameters.setFloat(kTiltSideways, 0.5);
            harness.parameters.setCheckbox(kInvertAll, 1);
            hostsim::World output({253, 260, depth, 2, false});
            ASSERT_EQ(harness.render(source, output), PF_Err_NONE);
            EXPECT_TRUE(alpha_rule::holdsFor(source, output));
            EXPECT_TRUE(output.guardsIntact());
        }
    }
    forceVectorLevel(bestVectorLevel());
}

TEST(RenderBadInput, NothingIsWrittenAndSuccessIsReturned) {
    struct Case {
        const char *name;
        void (*spoil)(ImageDesc &source, ImageDesc &output);
    };
    const Case cases[] = {
        {"null source data", [](ImageDesc &s, ImageDesc &) { s.data = nullptr; }},
        {"null output data", [](ImageDesc &, ImageDesc &o) { o.data = nullptr; }},
        {"source not valid", [](ImageDesc &s, ImageDesc &) { s.valid = false; }},
        {"output not valid", [](ImageDesc &, ImageDesc &o) { o.valid = false; }},
        {"zero width", [](ImageDesc &s, ImageDesc &) { s.width = 0; }},
        {"negative width", [](ImageDesc &s, ImageDesc &) { s.width = -4; }},
        {"zero height", [](ImageDesc &s, ImageDesc &) { s.height = 0; }},
        {"negative height", [](ImageDesc &s, ImageDesc &) { s.height = -4; }},
        {"negative output size", [](ImageDesc &, ImageDesc &o) { o.width = o.height = -1; }},
    };
    for (int depth : {8, 16, 32}) {
        for (const Case &c : cases) {
            SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(depth));
            RenderHarness harness;
            hostsim::World source({4, 4, depth}), output({4, 4, depth});
            source.fill(0x33);
            output.fill(0x99);
            const std::vector<unsigned char> before = output.contents();
            ImageDesc in = describe(source), out = describe(output);
            c.spoil(in, out);
            EXPECT_EQ(harness.render(in, out, depth), PF_Err_NONE);
            EXPECT_EQ(output.contents(), before);
            EXPECT_TRUE(output.guardsIntact());
            if (in.height <= 0) {
                EXPECT_EQ(harness.sim.seen().progressCalls, 0) << "no rows, no progress";
            }
        }
    }
}

namespace {

class RefusingHost : public ZephyrineAEHost {
public:
    RefusingHost() : ZephyrineAEHost("n", "c", "d") {}
    PF_Err getThreadCount(int32_t &, int32_t) override { return 1234; }
};

} // namespace

TEST(RenderDriver, ThreadCountErrorStopsBeforeAnyPixel) {
    RefusingHost adapter;
    embedhost::ParameterArray parameters;
    PF_InData in{};
    adapter.dispatch(PF_Cmd_EVENT, &in, nullptr, parameters.pointers(), nullptr, nullptr);
    hostsim::World source({3, 3, 8}), output({3, 3, 8});
    output.fill(0x77);
    const std::vector<unsigned char> before = output.contents();
    EXPECT_EQ(adapter.render8(describe(source), describe(output), {}), 1234);
    EXPECT_EQ(output.contents(), before);
}

TEST(RenderDriver, MissingParameterRecordsRenderWithDefaults) {
    // A host that hands over no parameter array renders as if every control were at its default.
    RenderHarness harness;
    harness.adapter.dispatch(PF_Cmd_EVENT, &harness.sim.inData(), &harness.sim.outData(), nullptr, nullptr, nullptr);
    hostsim::World source({1, 1, 8}), output({1, 1, 8});
    source.set<uint8_t>(0, 0, 255, 128, 128, 255);
    EXPECT_EQ(harness.render(source, output), PF_Err_NONE);
    EXPECT_EQ(output.get<uint8_t>(0, 0), (std::vector<uint8_t>{255, 127, 127, 254}));
}
