// The plug-in's memory per instance, as a host sees it: the heap bytes one more effect takes
// (dlopen of the library and the first instance's one-time costs excluded, by measuring the
// second instance), and whether processing allocates anything.
//
//   effect_footprint PLUGIN

#include <malloc.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tools/render/PluginHost.h"

namespace {

// Large blocks (128 KiB and more by default) are mapped one by one rather than carved from the
// heap's arenas: count both.
size_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: effect_footprint PLUGIN\n");
        return 2;
    }
    const int block = 512;
    std::string error;
    PluginHost first, second;
    if (!first.load(argv[1], 44100.0, block, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::vector<float> in(block, 0.25f), out(block * 8);
    float* inputs[2] = {in.data(), in.data()};
    float* outputs[8];
    for (int c = 0; c < 8; ++c) outputs[c] = &out[static_cast<size_t>(c) * block];
    const size_t before = heapInUse();
    if (!second.load(argv[1], 44100.0, block, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const size_t loaded = heapInUse();
    second.start();
    // One block with whitening off and one with it on: both loops.
    for (int i = 0; i < second.numParams(); ++i)
        if (second.parameterName(i) == "Whiten") second.setParameter(i, 0.0f);
    const size_t started = heapInUse();
    second.process(inputs, outputs, block);
    for (int i = 0; i < second.numParams(); ++i)
        if (second.parameterName(i) == "Whiten") second.setParameter(i, 1.0f);
    second.process(inputs, outputs, block);
    const size_t processed = heapInUse();
    std::printf(
        "one more effect: %zu bytes of heap; starting it and setting a parameter: %+lld; "
        "processing: %+lld\n",
        loaded - before, static_cast<long long>(started) - static_cast<long long>(loaded),
        static_cast<long long>(processed) - static_cast<long long>(started));
    return 0;
}
