#include "cli/batch.h"

#include "cli/atomic_write.h"
#include "cli/file_render.h"
#include "cli/frame_list.h"
#include "cli/image_file.h"
#include "cli/memory_budget.h"
#include "cli/pixel_rows.h"
#include "embedhost/effect_instance.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <iomanip>
#include <map>
#include <mutex>
#include <sched.h>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace cli {

namespace {

std::atomic<bool> stopRequested{false};

namespace fs = std::filesystem;

// The hardware threads this process may run on: a farm task's allocation, not the whole node.
std::size_t usableHardwareThreads() {
    cpu_set_t allowed;
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0 && CPU_COUNT(&allowed) > 0) {
        return static_cast<std::size_t>(CPU_COUNT(&allowed));
    }
    return std::max(1u, std::thread::hardware_concurrency());
}

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
        std::fprintf(stderr, "\r[%s%s] %zu/%zu files  %.1f Mpx/s",
                     std::string(static_cast<std::size_t>(filled), '#').c_str(),
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

std::string checkLine(const std::string &file, const embedhost::LengthStats &stats) {
    std::ostringstream line;
    line << file << ": |v| min " << std::fixed << std::setprecision(4) << stats.minimum << " mean " << stats.mean
         << " max " << stats.maximum << ", off-length " << std::setprecision(2) << 100.0 * stats.offShare << "% of "
         << stats.pixels << " pixels\n";
    return line.str();
}

// A format that stores values only approximately; what it writes is off unit length again.
bool isLossyFormat(const std::string &path) {
    std::string extension = fs::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const char *lossy : {".jpg", ".jpeg", ".jpe", ".jfif", ".jif", ".webp"}) {
        if (extension == lossy) {
            return true;
        }
    }
    return false;
}

// Why a file is not even decoded: the memory it would take (the host's two worlds when it is
// rendered, its decoded pixels when it is checked).
std::string refusal(const OIIO::ImageSpec &spec, int depth, std::size_t needed, std::size_t limit) {
    return std::to_string(spec.width) + "x" + std::to_string(spec.height) + " pixels at " + std::to_string(depth) +
           " bits need " + describeBytes(needed) + " to process, more than the " + describeBytes(limit) +
           " of memory this run may use (--max-memory); refused";
}

// The run: workers take jobs one at a time until none is left or a stop is asked for. Each
// worker renders through its own instance of the effect on the one loaded module.
class Batch {
public:
    Batch(const Options &options, const std::vector<Job> &jobs, std::ostream &out, std::ostream &err)
        : options_(options), jobs_(jobs), out_(out), err_(err),
          budget_(options.maxMemory ? *options.maxMemory : availableMemory()),
          bar_(!options.quiet && jobs.size() > 1 && isatty(STDERR_FILENO), jobs.size()) {}

    int run(std::vector<std::unique_ptr<embedhost::EffectInstance>> &runners) {
        std::vector<std::thread> workers;
        for (std::size_t i = 1; i < runners.size(); ++i) {
            workers.emplace_back([this, runner = runners[i].get()] { work(runner); });
        }
        work(runners.empty() ? nullptr : runners[0].get());
        for (std::thread &worker : workers) {
            worker.join();
        }
        // Jobs finish in any order; the summary names them in the order they were given.
        std::sort(failed_.begin(), failed_.end());
        std::sort(overLimit_.begin(), overLimit_.end());
        summarise();
        if (stopRequested.load()) {
            err_ << "zephyrine-render: interrupted; " << done_ << " of " << jobs_.size() << " files done\n";
            return 130;
        }
        return failed_.empty() && overLimit_.empty() ? 0 : 1;
    }

private:
    // What became of one file: lines for standard output and standard error, and its figures.
    struct Outcome {
        std::string out, err;
        double megapixels = 0.0, renderSeconds = 0.0;
        bool failed = false;
        std::optional<double> overLimit; // its off share, when above --fail-above
    };

    void work(embedhost::EffectInstance *runner) {
        std::size_t heldWorlds = 0; // the budget taken by the host's worlds this worker keeps
        for (std::size_t next; !stopRequested.load() && (next = nextJob_++) < jobs_.size();) {
            const Job &job = jobs_[next];
            Outcome outcome;
            try {
                process(job, runner, heldWorlds, outcome);
            } catch (const std::exception &error) {
                // The message names the file it concerns: the output for what writing it met.
                const bool output = dynamic_cast<const OutputError *>(&error) != nullptr;
                outcome.err += "zephyrine-render: " + (output ? job.output : job.input) + ": " + error.what() + "\n";
                outcome.failed = true;
            }
            finish(next, outcome);
        }
        if (runner != nullptr) {
            runner->dropWorlds();
        }
        budget_.release(heldWorlds);
    }

    void process(const Job &job, embedhost::EffectInstance *runner, std::size_t &heldWorlds, Outcome &outcome) {
        if (!options_.check && options_.noClobber && fs::exists(job.output)) {
            if (!options_.quiet) {
                outcome.err = "zephyrine-render: " + job.output + ": exists, skipped\n";
            }
            return;
        }
        if (!options_.check && !options_.inPlace && sameFile(job.input, job.output)) {
            throw OutputError("is the input itself; give --in-place to write over it");
        }
        ImageFile file(job.input, options_.part);
        const OIIO::ImageSpec &spec = file.spec();
        if (options_.check) {
            check(file, job, outcome);
            return;
        }
        const int depth = file.depthFor(options_.depth);
        const std::size_t worldBytes = embedhost::EffectInstance::worldBytes(spec.width, spec.height, depth);
        refuseIfTooLarge(spec, depth, worldBytes + file.largestCopyBytes());
        takeWorlds(*runner, heldWorlds, spec, depth, worldBytes);
        const FileRender rendered = renderFile(file, job.output, depth, *runner);
        for (const std::string &loss : rendered.losses) {
            outcome.err += "zephyrine-render: warning: " + job.output + ": " + loss + "\n";
        }
        outcome.megapixels = rendered.megapixels;
        outcome.renderSeconds = rendered.renderSeconds;
        if (options_.time) {
            std::ostringstream line;
            line << job.input << ": decode " << std::fixed << std::setprecision(1) << rendered.decodeSeconds * 1e3
                 << " ms, render " << rendered.renderSeconds * 1e3 << " ms ("
                 << rendered.megapixels / rendered.renderSeconds << " megapixels per second), encode "
                 << rendered.encodeSeconds * 1e3 << " ms\n";
            outcome.out = line.str();
        }
    }

    void check(ImageFile &file, const Job &job, Outcome &outcome) {
        const int depth = file.depthFor(0);
        const std::size_t bytes = file.pictureBytes(depth);
        refuseIfTooLarge(file.spec(), depth, bytes);
        budget_.acquire(bytes); // a checking worker holds nothing while it waits
        const struct Release {
            MemoryBudget &budget;
            std::size_t bytes;
            ~Release() { budget.release(bytes); }
        } release{budget_, bytes};
        const embedhost::LengthStats stats = measureLengths(file.decode(depth), options_.controls.traditional);
        outcome.out = checkLine(job.input, stats);
        if (options_.failAbove && stats.offShare > *options_.failAbove) {
            outcome.overLimit = stats.offShare;
        }
    }

    void refuseIfTooLarge(const OIIO::ImageSpec &spec, int depth, std::size_t bytes) const {
        if (!budget_.fitsAlone(bytes)) {
            throw FileError(refusal(spec, depth, bytes, budget_.limit()));
        }
    }

    // The host's worlds for this file: kept from the worker's last file of the same shape, or
    // made anew once the budget has room for them (the worker holds nothing while it waits).
    void takeWorlds(embedhost::EffectInstance &runner, std::size_t &heldWorlds, const OIIO::ImageSpec &spec, int depth,
                    std::size_t worldBytes) {
        if (heldWorlds > 0 && runner.keepsWorldsFor(spec.width, spec.height, depth)) {
            return;
        }
        runner.dropWorlds();
        budget_.release(heldWorlds);
        heldWorlds = 0;
        budget_.acquire(worldBytes);
        heldWorlds = worldBytes;
    }

    void finish(std::size_t job, const Outcome &outcome) {
        const std::lock_guard<std::mutex> lock(mutex_);
        out_ << outcome.out << std::flush;
        err_ << outcome.err << std::flush;
        ++done_;
        if (outcome.failed) {
            failed_.push_back(job);
        }
        if (outcome.overLimit) {
            overLimit_.emplace_back(job, *outcome.overLimit);
        }
        megapixels_ += outcome.megapixels;
        renderSeconds_ += outcome.renderSeconds;
        bar_.update(done_, megapixels_, renderSeconds_);
    }

    // The lines that close a run that did not do everything: what failed, what is over the limit.
    void summarise() {
        if (!overLimit_.empty()) {
            std::ostringstream line;
            line << "zephyrine-render: " << overLimit_.size() << " of " << jobs_.size()
                 << " files are off-length above --fail-above " << *options_.failAbove * 100.0 << "%:";
            for (const auto &[job, share] : overLimit_) {
                line << " " << jobs_[job].input << " (" << std::fixed << std::setprecision(2) << share * 100.0 << "%)";
            }
            err_ << line.str() << "\n";
        }
        if (!failed_.empty()) {
            err_ << "zephyrine-render: " << done_ - failed_.size() << " of " << jobs_.size() << " files done; "
                 << failed_.size() << " failed:";
            for (const std::size_t job : failed_) {
                err_ << " " << jobs_[job].input;
            }
            err_ << "\n";
        }
    }

    const Options &options_;
    const std::vector<Job> &jobs_;
    std::ostream &out_;
    std::ostream &err_;
    MemoryBudget budget_;
    std::atomic<std::size_t> nextJob_{0};
    std::mutex mutex_; // the streams, the bar and the counts below
    ProgressBar bar_;
    std::size_t done_ = 0;
    std::vector<std::size_t> failed_;                       // jobs, by index
    std::vector<std::pair<std::size_t, double>> overLimit_; // jobs and their off shares
    double megapixels_ = 0.0, renderSeconds_ = 0.0;
};

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

std::string outputClash(const std::vector<Job> &jobs) {
    std::map<fs::path, std::size_t> writers; // each output, by its absolute, normalised path
    for (std::size_t index = 0; index < jobs.size(); ++index) {
        if (jobs[index].output.empty()) {
            continue;
        }
        std::error_code error;
        const fs::path target = fs::weakly_canonical(fs::absolute(jobs[index].output), error);
        const auto [known, added] = writers.emplace(error ? fs::absolute(jobs[index].output) : target, index);
        if (!added) {
            const Job &first = jobs[known->second];
            return first.input + " and " + jobs[index].input + " would both be written to " + jobs[index].output +
                   "; nothing was written: give the inputs different names or separate --outdir folders";
        }
    }
    return "";
}

int runBatch(const Options &options, const std::string &modulePath, std::ostream &out, std::ostream &err) {
    const std::vector<Job> jobs = plannedJobs(options);
    if (const std::string clash = outputClash(jobs); !clash.empty()) {
        err << "zephyrine-render: " << clash << "\n";
        return 2;
    }
    const std::size_t workers = std::max<std::size_t>(
        1, std::min<std::size_t>(jobs.size(),
                                 options.jobs > 0 ? static_cast<std::size_t>(options.jobs) : usableHardwareThreads()));
    std::vector<std::unique_ptr<embedhost::EffectInstance>> runners;
    if (!options.check) {
        const auto module = std::make_shared<const embedhost::PluginModule>(modulePath);
        for (std::size_t i = 0; i < workers; ++i) {
            runners.push_back(std::make_unique<embedhost::EffectInstance>(module, options.controls));
        }
        if (!options.outdir.empty()) {
            std::error_code error;
            fs::create_directories(options.outdir, error);
            if (error) {
                err << "zephyrine-render: " << options.outdir << ": cannot create the folder: " << error.message()
                    << "\n";
                return 1;
            }
        }
        const auto lossy =
            std::find_if(jobs.begin(), jobs.end(), [](const Job &job) { return isLossyFormat(job.output); });
        if (lossy != jobs.end()) {
            err << "zephyrine-render: warning: " << lossy->output
                << " is written in a lossy format: its vectors will not stay unit length when read back; "
                   "write a lossless format such as PNG, TIFF or EXR instead\n";
        }
    }
    Batch batch(options, jobs, out, err);
    if (options.check) {
        // Checking needs no effect: one worker per file in flight, with no runner.
        std::vector<std::unique_ptr<embedhost::EffectInstance>> none(workers);
        return batch.run(none);
    }
    return batch.run(runners);
}

} // namespace cli
