// ostraquelle-validate: loads a VST 2.x plug-in through its exported entry and runs the
// torture a demanding host applies. One line per failure, then "N passed, M failed"; the exit
// status is 0 only without failures.
//
//   ostraquelle-validate <plug-in> [--seed N] [--suites 1,2,...] [--quick]
//       [--cycles N] [--instances N] [--opcode-calls N] [--parameter-calls N]
//       [--thread-seconds S] [--editor-cycles N]

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Options.h"
#include "Suites.h"

bool parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; i++) {
        const std::string arg = argv[i];
        auto number = [&](double& out) {
            if (i + 1 >= argc) return false;
            char* end = nullptr;
            out = std::strtod(argv[++i], &end);
            return end && *end == '\0';
        };
        double n = 0;
        if (arg == "--quick") {
            // A complete pass at a fraction of the size, for slow (emulated) environments.
            options.lifecycleCycles = 20;
            options.instances = 4;
            options.opcodeCalls = 5000;
            options.parameterCalls = 2000;
            options.threadSeconds = 1.0;
            options.editorCycles = 10;
        } else if (arg == "--suites") {
            if (i + 1 >= argc) return false;
            options.suites = 0;
            for (const char* p = argv[++i]; *p; p++)
                if (*p >= '1' && *p <= '7') options.suites |= 1u << (*p - '0');
        } else if (arg == "--seed" && number(n)) {
            options.seed = static_cast<uint64_t>(n);
        } else if (arg == "--cycles" && number(n)) {
            options.lifecycleCycles = static_cast<int>(n);
        } else if (arg == "--instances" && number(n)) {
            options.instances = static_cast<int>(n);
        } else if (arg == "--opcode-calls" && number(n)) {
            options.opcodeCalls = static_cast<int>(n);
        } else if (arg == "--parameter-calls" && number(n)) {
            options.parameterCalls = static_cast<int>(n);
        } else if (arg == "--thread-seconds" && number(n)) {
            options.threadSeconds = n;
        } else if (arg == "--editor-cycles" && number(n)) {
            options.editorCycles = static_cast<int>(n);
        } else if (!arg.empty() && arg[0] != '-' && options.plugin.empty()) {
            options.plugin = arg;
        } else {
            std::fprintf(stderr, "unknown or incomplete option: %s\n", arg.c_str());
            return false;
        }
    }
    if (options.plugin.empty()) std::fprintf(stderr, "no plug-in given\n");
    return !options.plugin.empty();
}

int main(int argc, char** argv) {
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: ostraquelle-validate <plug-in> [--seed N] [--suites 1234567] "
                     "[--quick] [--cycles N] [--instances N] [--opcode-calls N] "
                     "[--parameter-calls N] [--thread-seconds S] [--editor-cycles N]\n");
        return 2;
    }
    Report report;
    PluginLibrary library(options.plugin.c_str());
    report.beginSuite("load");
    if (!report.check(library.loaded(), "%s: no library with a VST 2.x entry",
                      options.plugin.c_str())) {
        std::printf("%d passed, %d failed\n", report.passed(), report.failed());
        return 1;
    }
    std::printf("validating %s with seed %u\n", options.plugin.c_str(),
                static_cast<unsigned>(options.seed));
    typedef void (*Suite)(const PluginLibrary&, const Options&, Report&);
    const Suite suites[] = {nullptr,
                            runLifecycleSuite,
                            runOpcodeFuzzSuite,
                            runParameterFuzzSuite,
                            runProcessingSuite,
                            runThreadSuite,
                            runRealtimeSuite,
                            runEditorSuite};
    for (int s = 1; s <= 7; s++) {
        if (!(options.suites & (1u << s))) continue;
        suites[s](library, options, report);
        std::fflush(stdout);
    }
    std::printf("%d passed, %d failed\n", report.passed(), report.failed());
    return report.failed() == 0 ? 0 : 1;
}
