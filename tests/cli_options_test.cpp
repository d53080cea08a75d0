// zephyrine-render's command line: what each option takes and refuses, the rules between
// options, and what the tool prints for --version, --help and a usage error.
#include "cli_support.h"

#include "cli/options.h"

#include <fstream>

namespace {

using cli::Options;

struct Case {
    std::vector<std::string> arguments;
    std::string error;                        // a part of the usage error; empty: none
    bool (*holds)(const Options &) = nullptr; // what the parse gave, when it succeeds
};

std::string joined(const std::vector<std::string> &arguments) {
    std::string text;
    for (const std::string &argument : arguments) {
        text += argument + " ";
    }
    return text;
}

} // namespace

TEST(CommandLine, OptionsValuesAndTheRulesBetweenThem) {
    Folder folder;
    const std::string dir = (folder / "out").string();
    fs::create_directories(dir);
    // A file whose name only looks like a frame pattern is an input like any other.
    const std::string oddName = (folder / "odd.####.png").string();
    std::ofstream(oddName) << "not read";

    const std::vector<Case> cases = {
        // Controls, each as NAME VALUE and NAME=VALUE; negative values after a space too.
        {{"--tilt-forward", "0.25", "a.png", "-o", "b.png"}, "",
         [](const Options &o) { return o.controls.tiltForward == 0.25; }},
        {{"--tilt-forward=0.25", "a.png", "-o", "b.png"}, "",
         [](const Options &o) { return o.controls.tiltForward == 0.25; }},
        {{"--tilt-forward", "-0.5", "a.png", "-o", "b.png"}, "",
         [](const Options &o) { return o.controls.tiltForward == -0.5; }},
        {{"--tilt-sideways", "-1", "a.png", "-o", "b.png"}, "",
         [](const Options &o) { return o.controls.tiltSideways == -1.0; }},
        {{"--tilt-sideways=1", "a.png", "-o", "b.png"}, "",
         [](const Options &o) { return o.controls.tiltSideways == 1.0; }},
        {{"--tilt-upwards", "0.5", "a.png", "-o", "b.png"}, "",
         [](const Options &o) { return o.controls.tiltUpwards == 0.5; }},
        {{"--tilt-upwards=-0.125", "a.png", "-o", "b.png"}, "",
         [](const Options &o) { return o.controls.tiltUpwards == -0.125; }},
        {{"--tilt-forward", "1.5", "a.png", "-o", "b.png"}, "--tilt-forward takes a number from -1 to 1"},
        {{"--tilt-forward=-1.01", "a.png", "-o", "b.png"}, "--tilt-forward takes a number from -1 to 1"},
        {{"--tilt-upwards", "nan", "a.png", "-o", "b.png"}, "--tilt-upwards takes a number from -1 to 1"},
        {{"--tilt-sideways=inf", "a.png", "-o", "b.png"}, "--tilt-sideways takes a number from -1 to 1"},
        {{"--tilt-sideways", "half", "a.png", "-o", "b.png"}, "--tilt-sideways takes a number from -1 to 1"},
        {{"a.png", "-o", "b.png", "--tilt-sideways"}, "--tilt-sideways needs a value"},
        {{"--invert-x", "--invert-y", "--invert-z", "--invert-all", "--traditional", "a.png", "-o", "b.png"}, "",
         [](const Options &o) {
             const auto &c = o.controls;
             return c.invertX && c.invertY && c.invertZ && c.invertAll && c.traditional;
         }},
        // Files.
        {{"a.png", "-o", "b.png"}, "", [](const Options &o) { return o.output == "b.png" && o.inputs.size() == 1; }},
        {{"a.png", "c.png", "--outdir", "d"}, "",
         [](const Options &o) { return o.outdir == "d" && o.inputs.size() == 2; }},
        {{"a.png", "--outdir=d"}, "", [](const Options &o) { return o.outdir == "d"; }},
        {{"s.####.png", "--frames", "1-3", "-o", "o.####.png"}, "",
         [](const Options &o) { return o.frames == std::vector<int>{1, 2, 3}; }},
        {{"s.####.png", "--frames=1,5", "-o", "o.####.png"}, "",
         [](const Options &o) { return o.frames == std::vector<int>{1, 5}; }},
        {{"s.####.png", "--frames", "1-", "-o", "o.####.png"}, "--frames takes a list such as 1-100"},
        {{"--no-clobber", "--in-place", "a.png", "-o", "b.png"}, "",
         [](const Options &o) { return o.noClobber && o.inPlace; }},
        {{"--depth", "16", "a.png", "-o", "b.png"}, "", [](const Options &o) { return o.depth == 16; }},
        {{"--depth=32", "a.png", "-o", "b.png"}, "", [](const Options &o) { return o.depth == 32; }},
        {{"--depth=8", "a.png", "-o", "b.png"}, "", [](const Options &o) { return o.depth == 8; }},
        {{"--depth", "12", "a.png", "-o", "b.png"}, "--depth takes 8, 16 or 32"},
        {{"--part", "normal", "a.exr", "-o", "b.exr"}, "", [](const Options &o) { return o.part == "normal"; }},
        {{"--part=1", "a.exr", "-o", "b.exr"}, "", [](const Options &o) { return o.part == "1"; }},
        // Checking.
        {{"--check", "a.png", "c.png"}, "", [](const Options &o) { return o.check && !o.failAbove; }},
        {{"--check", "--fail-above", "0.01", "a.png"}, "", [](const Options &o) { return o.failAbove == 0.01; }},
        {{"--check", "--fail-above=1", "a.png"}, "", [](const Options &o) { return o.failAbove == 1.0; }},
        {{"--check", "--fail-above", "1.5", "a.png"}, "--fail-above takes a share from 0 to 1"},
        {{"--check", "--fail-above=-0.1", "a.png"}, "--fail-above takes a share from 0 to 1"},
        // Batches.
        {{"--jobs", "4", "a.png", "-o", "b.png"}, "", [](const Options &o) { return o.jobs == 4; }},
        {{"--jobs=1024", "a.png", "-o", "b.png"}, "", [](const Options &o) { return o.jobs == 1024; }},
        {{"--jobs", "0", "a.png", "-o", "b.png"}, "--jobs takes a whole number from 1 to 1024"},
        {{"--jobs=1025", "a.png", "-o", "b.png"}, "--jobs takes a whole number from 1 to 1024"},
        {{"--jobs", "2.5", "a.png", "-o", "b.png"}, "--jobs takes a whole number from 1 to 1024"},
        {{"--max-memory", "8G", "a.png", "-o", "b.png"}, "",
         [](const Options &o) { return o.maxMemory == 8ull << 30; }},
        {{"--max-memory=512M", "a.png", "-o", "b.png"}, "",
         [](const Options &o) { return o.maxMemory == 512ull << 20; }},
        {{"--max-memory", "lots", "a.png", "-o", "b.png"}, "--max-memory takes a size such as 512M"},
        // Other.
        {{"--demo"}, "", [](const Options &o) { return o.demo && o.demoDir == "out"; }},
        {{"--demo", "shots"}, "", [](const Options &o) { return o.demo && o.demoDir == "shots"; }},
        {{"--demo=shots"}, "", [](const Options &o) { return o.demo && o.demoDir == "shots"; }},
        {{"--demo", "--quiet"}, "", [](const Options &o) { return o.demo && o.demoDir == "out" && o.quiet; }},
        {{"--plugin", "p.so", "a.png", "-o", "b.png"}, "", [](const Options &o) { return o.plugin == "p.so"; }},
        {{"--plugin=p.so", "a.png", "-o", "b.png"}, "", [](const Options &o) { return o.plugin == "p.so"; }},
        {{"--quiet", "--time", "a.png", "-o", "b.png"}, "", [](const Options &o) { return o.quiet && o.time; }},
        {{"--help"}, "", [](const Options &o) { return o.help; }},
        {{"-h"}, "", [](const Options &o) { return o.help; }},
        {{"--version"}, "", [](const Options &o) { return o.version; }},
        {{"--bogus", "a.png", "-o", "b.png"}, "unknown option --bogus"},
        {{"-o", "b.png", "--", "-a.png"}, "",
         [](const Options &o) { return o.inputs == std::vector<std::string>{"-a.png"}; }},
        // Rules between options.
        {{}, "no input files"},
        {{"--fail-above", "0.1", "a.png", "-o", "b.png"}, "--fail-above goes with --check"},
        {{"a.png"}, "give either -o OUTPUT or --outdir DIR"},
        {{"a.png", "-o", "b.png", "--outdir", "d"}, "give either -o OUTPUT or --outdir DIR"},
        {{"a.png", "c.png", "-o", "b.png"}, "-o takes one input; use --outdir"},
        {{"s.####.png", "--frames", "1-3", "-o", "o.png"}, "with --frames, -o must be a frame pattern too"},
        {{"s.####.png", "t.####.png", "--frames", "1-3", "--outdir", "d"}, "--frames takes one input pattern"},
        {{"s.png", "--frames", "1-3", "--outdir", "d"}, "--frames needs an input name with #### or %04d"},
        // Hints for what a new user is likely to try.
        {{"a.png", "-o", dir}, "-o " + dir + " is a folder; use --outdir " + dir + " to keep the inputs' names there"},
        {{"shot.####.exr", "-o", "o.####.exr"},
         "shot.####.exr looks like a frame pattern; give --frames LIST, e.g. --frames 1001-1100"},
        {{"shot.%04d.exr", "--outdir", "d"}, "shot.%04d.exr looks like a frame pattern"},
        {{oddName, "-o", "b.png"}, "", [](const Options &o) { return o.inputs.size() == 1 && !o.frames; }},
    };
    for (const Case &c : cases) {
        const cli::ParseResult parsed = cli::parseOptions(c.arguments);
        if (c.error.empty()) {
            EXPECT_EQ(parsed.error, "") << joined(c.arguments);
            EXPECT_TRUE(!c.holds || c.holds(parsed.options)) << joined(c.arguments);
        } else {
            EXPECT_NE(parsed.error.find(c.error), std::string::npos)
                << joined(c.arguments) << "\n  gave: " << parsed.error << "\n  wanted: " << c.error;
        }
    }
}

TEST(CommandLine, TheToolsVersionHelpAndUsageErrors) {
    ToolRun run = runTool("--version");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, "zephyrine-render 1.0.0\n");

    run = runTool("--help");
    EXPECT_EQ(run.status, 0);
    for (const char *part :
         {"Controls (as in the host):", "Files:", "Checking:", "Batches:", "Other:", "--tilt-forward F",
          "--tilt-sideways F", "--tilt-upwards F", "--invert-x, --invert-y, --invert-z, --invert-all", "--traditional",
          "-o FILE", "--outdir DIR", "--frames LIST", "--part N|NAME", "--no-clobber", "--in-place", "--depth 8|16|32", "--check",
          "--fail-above SHARE", "--jobs N", "--max-memory SIZE", "--demo [DIR]", "--plugin PATH", "--quiet", "--time",
          "--version", "-h, --help", "Pixels are data:", "Lossy formats", "Exit status: 0 done", "130 interrupted",
          "Examples:"}) {
        EXPECT_NE(run.output.find(part), std::string::npos) << part << "\n" << run.output;
    }

    run = runTool("--tilt-forward 2 a.png -o b.png");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.output.find("--tilt-forward takes a number from -1 to 1\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find(cli::kUsage), std::string::npos) << run.output;
}
