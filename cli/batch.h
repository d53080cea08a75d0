// The work of one run: which files go where, and rendering or checking them one by one.
#pragma once

#include "cli/options.h"

#include <ostream>
#include <string>
#include <vector>

namespace cli {

struct Job {
    std::string input;
    std::string output; // empty for --check
};

// The jobs the options describe (frame patterns expanded, output names derived).
std::vector<Job> plannedJobs(const Options &options);

// Two jobs that would write one output: a message naming both, or empty.
std::string outputClash(const std::vector<Job> &jobs);

// Renders (or checks) every job; messages go to `err`, results to `out`. Returns the exit
// status: 0, 1 when a file failed or is over --fail-above, 2 when two jobs would write one
// output (found before anything is written), 130 when a stop was requested.
int runBatch(const Options &options, const std::string &modulePath, std::ostream &out, std::ostream &err);

// Set by the interrupt handler: the batch stops after the file it is on.
void requestStop();

} // namespace cli
