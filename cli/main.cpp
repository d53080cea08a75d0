// zephyrine-render: the effect on image files, through the plug-in module's entry point.
#include "cli/batch.h"
#include "cli/demo.h"
#include "cli/options.h"

#include "platform/module.h"

#include <csignal>
#include <exception>
#include <filesystem>
#include <iostream>

namespace {

void onInterrupt(int) { cli::requestStop(); }

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
    if (options.help) {
        std::cout << cli::kUsage << "\n" << cli::kHelp;
        return 0;
    }
    std::signal(SIGINT, onInterrupt);
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
