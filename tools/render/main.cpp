// ostraquelle-render: renders audio files offline through a VST 2.x vocoder plug-in.

#include <chrono>
#include <cstdio>

#include "tools/render/RenderCommand.h"
#include "tools/render/RenderSignals.h"

int main(int argc, char** argv) {
    auto started = std::chrono::steady_clock::now();
    RenderSignals::install();
    return RenderCommand::run(argc, argv, stdout, stderr, started);
}
