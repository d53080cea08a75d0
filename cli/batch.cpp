#include "cli/batch.h"

#include "cli/effect_runner.h"
#include "cli/frame_list.h"
#include "cli/length_check.h"
#include "cli/picture.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iomanip>
#include <unistd.h>

namespace cli {

namespace {

std::atomic<bool> stopRequested{false};

namespace fs = std::filesystem;

bool sameFile(const std::string &a, const std::string &b) {
    std::error_code error;
    return fs::equivalent(a, b, error) || fs::weakly_canonical(a, error) == fs::weakly_canonical(b, error);
}

// One line on standard error, redrawn in place: files done and throughput.
class ProgressBar {
public:
    ProgressBar(bool shown, std::size_t total) : shown_(shown), total_(total) {}
    void update(std::size_t done, double megapixels, double seconds) {
        if (!shown_) {
            return;
        }
        const int width = 30;
        const int filled = total_ > 0 ? static_cast<int>(width * done / total_) : width;
        std::fprintf(stderr, "\r[%s%s] %zu/%zu files  %.1f Mpx/s", std::string(static_cast<std::size_t>(filled), '#').c_str(),
                     std::string(static_cast<std::size_t>(width - filled), '.').c_str(), done, total_,
                     seconds > 0 ? megapixels / seconds : 0.0);
        std::fflush(stderr);
    }
    ~ProgressBar() {
        if (shown_) {
            std::fprintf(stderr, "\n");
        }
    }

private:
    bool shown_;
    std::size_t total_;
};

void printCheck(std::ostream &out, const std::string &file, const LengthStats &stats) {
    out << file << ": |v| min " << std::fixed << std::setprecision(4) << stats.minimum << " mean " << stats.mean
        << " max " << stats.maximum << ", off-length " << std::setprecision(2) << 100.0 * stats.offShare << "% of "
        << stats.pixels << " pixels\n";
}

} // namespace

void requestStop() { stopRequested.store(true); }

std::vector<Job> plannedJobs(const Options &options) {
    std::vector<Job> jobs;
    const auto outputFor = [&](const std::string &input, int frame, bool framed) {
        if (options.check) {
            return std::string();
        }
        if (!options.output.empty()) {
            return framed ? expandFramePattern(options.output, frame) : options.output;
        }
        return (fs::path(options.outdir) / fs::path(input).filename()).string();
    };
    if (options.frames) {
        for (int frame : *options.frames) {
            const std::string input = expandFramePattern(options.inputs[0], frame);
            jobs.push_back({input, outputFor(input, frame, true)});
        }
        return jobs;
    }
    for (const std::string &input : options.inputs) {
        jobs.push_back({input, outputFor(input, 0, false)});
    }
    return jobs;
}

int runBatch(const Options &options, const std::string &modulePath, std::ostream &out, std::ostream &err) {
    const std::vector<Job> jobs = plannedJobs(options);
    std::unique_ptr<EffectRunner> runner;
    if (!options.check) {
        runner = std::make_unique<EffectRunner>(modulePath, options.controls);
        if (!options.outdir.empty()) {
            std::error_code error;
            fs::create_directories(options.outdir, error);
            if (error) {
                err << "zephyrine-render: " << options.outdir << ": cannot create the folder: " << error.message()
                    << "\n";
                return 1;
            }
        }
    }
    int status = 0;
    std::size_t done = 0;
    double megapixels = 0.0, seconds = 0.0;
    ProgressBar bar(!options.quiet && jobs.size() > 1 && isatty(STDERR_FILENO), jobs.size());
    for (const Job &job : jobs) {
        if (stopRequested.load()) {
            err << "zephyrine-render: interrupted; " << done << " of " << jobs.size() << " files done\n";
            return 130;
        }
        std::string concerned = job.input; // the file an error message names
        try {
            if (!options.check && options.noClobber && fs::exists(job.output)) {
                if (!options.quiet) {
                    err << "zephyrine-render: " << job.output << ": exists, skipped\n";
                }
            } else if (!options.check && !options.inPlace && sameFile(job.input, job.output)) {
                concerned = job.output;
                throw FileError("is the input itself; give --in-place to write over it");
            } else {
                Picture picture = readPicture(job.input, options.check ? 0 : options.depth);
                if (options.check) {
                    const LengthStats stats = measureLengths(picture, options.controls.traditional);
                    printCheck(out, job.input, stats);
                    if (options.failAbove && stats.offShare > *options.failAbove) {
                        status = 1;
                    }
                } else {
                    const auto start = std::chrono::steady_clock::now();
                    runner->render(picture);
                    const double elapsed =
                        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
                    concerned = job.output;
                    writePicture(job.output, picture);
                    const double pixels = static_cast<double>(picture.width()) * picture.height() / 1e6;
                    megapixels += pixels;
                    seconds += elapsed;
                    if (options.time) {
                        out << job.input << ": rendered in " << std::fixed << std::setprecision(1) << elapsed * 1e3
                            << " ms, " << pixels / elapsed << " megapixels per second\n";
                    }
                }
            }
        } catch (const std::exception &error) {
            err << "zephyrine-render: " << concerned << ": " << error.what() << "\n";
            status = 1;
        }
        ++done;
        bar.update(done, megapixels, seconds);
    }
    return status;
}

} // namespace cli
