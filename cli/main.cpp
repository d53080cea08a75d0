// zephyrine-render: the effect on image files, through the plug-in module's entry point.
#include "cli/batch.h"
#include "cli/demo.h"
#include "cli/options.h"

#include "platform/module.h"

#include <exception>
#include <filesystem>
#include <iostream>
#include <signal.h>

namespace {

void onStop(int) { cli::requestStop(); }

// The module beside the tool (a build), else where the package installs it beside bin/.
std::string modulePath(const cli::Options &options) {
    if (!options.plugin.empty()) {
        return options.plugin;
    }
    const std::string folder = platform::executableDirectory();
    const std::string beside = folder + "/" + platform::moduleFileName("zephyrine");
    const std::string installed = folder + "/../lib/zephyrine/" + platform::moduleFileName("zephyrine");
    return std::filesystem::exists(beside) || !std::filesystem::exists(installed) ? beside : installed;
}

} // namespace

int main(int argc, char **argv) {
    const cli::ParseResult parsed = cli::parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::cerr << "zephyrine-render: " << parsed.error << "\n" << cli::kUsage;
        return 2;
    }
    const cli::Options &options = parsed.options;
    if (options.version) {
        std::cout << cli::versionText() << "\n";
        return 0;
    }
    if (options.help) {
        std::cout << cli::helpText();
        return 0;
    }
    // Ctrl-C, a scheduler's or service manager's stop and a closed terminal all end the run the
    // same way: the files in flight finish. sigaction keeps the handler installed for a second
    // signal, and SA_RESTART keeps file reads from failing with EINTR.
    struct sigaction stop = {};
    stop.sa_handler = onStop;
    stop.sa_flags = SA_RESTART;
    sigemptyset(&stop.sa_mask);
    for (const int number : {SIGINT, SIGTERM, SIGHUP}) {
        sigaction(number, &stop, nullptr);
    }
    try {
        if (options.demo) {
            return cli::runDemo(options.demoDir, modulePath(options), std::cout);
        }
        return cli::runBatch(options, modulePath(options), std::cout, std::cerr);
    } catch (const std::exception &error) {
        std::cerr << "zephyrine-render: " << error.what() << "\n";
        return 1;
    }
}
