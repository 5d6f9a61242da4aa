#pragma once
// Command-line options of the validator. Sizes are options so that slow environments (the
// 32-bit build under emulation) can run a reduced but complete pass.

#include <cstdint>
#include <string>

struct Options {
    std::string plugin;
    uint64_t seed = 1;
    uint32_t suites = 0xFF;       // bit n: suite n (1..7)
    int lifecycleCycles = 200;    // create/close cycles
    int instances = 16;           // alive at once
    int opcodeCalls = 100000;     // dispatcher calls of the opcode fuzz
    int parameterCalls = 20000;   // setParameter calls of the parameter fuzz
    double threadSeconds = 10.0;  // length of the threads suite
    int editorCycles = 100;       // open/idle/close cycles of the editor suite
};

// Parses argv; false (with a message on stderr) for unknown or malformed options.
bool parseOptions(int argc, char** argv, Options& options);
