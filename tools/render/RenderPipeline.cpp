#include "tools/render/RenderPipeline.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include "tools/render/BoundedQueue.h"
#include "tools/render/InputPair.h"
#include "tools/render/OutputFile.h"
#include "tools/render/PluginHost.h"
#include "tools/render/ProgressReporter.h"
#include "tools/render/RenderSignals.h"

namespace {

// Left uninitialised: the reader and the plug-in write every frame before it is read, and
// zero-filling would only add a pass over the memory before the first chunk can start.
struct Chunk {
    std::unique_ptr<float[]> carrier, modulator, rendered;
    int64_t frames = 0;
};

}  // namespace

int64_t RenderPipeline::chunkFrames(int index, int blockSize) {
    const int64_t block = blockSize;
    const int64_t largest = std::max<int64_t>(1, kChunkFrames / block) * block;
    const int64_t first = std::max<int64_t>(1, kFirstChunkFrames / block) * block;
    return index >= 30 ? largest : std::min(largest, first << index);
}

bool RenderPipeline::run(PluginHost& host, InputPair& input, OutputFile& output,
                         const std::vector<int>& channels, ProgressReporter& progress,
                         std::string& error) {
    const int blockSize = host.blockSize();
    const size_t block = static_cast<size_t>(blockSize);
    const size_t largest = static_cast<size_t>(chunkFrames(30, blockSize));
    const size_t width = channels.size();

    std::vector<std::unique_ptr<Chunk>> pool;
    BoundedQueue<Chunk*> empty(kChunks), filled(kChunks), rendered(kChunks);
    for (int i = 0; i < kChunks; ++i) {
        pool.emplace_back(new Chunk);
        pool.back()->carrier.reset(new float[largest]);
        pool.back()->modulator.reset(new float[largest]);
        pool.back()->rendered.reset(new float[largest * width]);
        empty.push(pool.back().get());
    }

    // Reader: fills empty chunks until the input ends; a null chunk marks the end. The first
    // chunks are small, so that the processing starts early; later ones are large, so that the
    // threads meet rarely.
    std::thread reader([&] {
        Chunk* chunk;
        for (int index = 0; empty.pop(chunk); ++index) {
            chunk->frames = input.read(chunk->carrier.get(), chunk->modulator.get(),
                                       chunkFrames(index, blockSize));
            if (chunk->frames <= 0) {
                filled.push(nullptr);
                return;
            }
            if (!filled.push(chunk)) return;
        }
    });

    // Writer: encodes rendered chunks in order and hands them back; it stops at the first
    // failure, which the processing loop sees before its next chunk.
    std::atomic<bool> writeFailed(false);
    std::string writeError;
    std::thread writer([&] {
        Chunk* chunk;
        while (rendered.pop(chunk)) {
            if (!output.write(chunk->rendered.get(), chunk->frames, writeError)) {
                writeFailed = true;
                // Wake the reader and the processing loop wherever they wait.
                rendered.close();
                filled.close();
                empty.close();
                return;
            }
            if (!empty.push(chunk)) return;
        }
    });

    // Inputs beyond carrier and modulator (a plug-in with more than two) stay silent.
    std::vector<std::vector<float>> silence(static_cast<size_t>(std::max(0, host.numInputs() - 2)),
                                            std::vector<float>(block, 0.0f));
    std::vector<float*> inputs(static_cast<size_t>(std::max(2, host.numInputs())));
    for (size_t i = 2; i < inputs.size(); ++i) inputs[i] = silence[i - 2].data();
    std::vector<std::vector<float>> outputBuffers(static_cast<size_t>(host.numOutputs()),
                                                  std::vector<float>(block, 0.0f));
    std::vector<float*> outputs;
    for (auto& buffer : outputBuffers) outputs.push_back(buffer.data());
    // One channel to write: the plug-in renders it straight into the chunk, nothing to
    // interleave.
    const bool direct = width == 1;
    const size_t directChannel = static_cast<size_t>(channels[0]);

    bool ok = true;
    int64_t done = 0;
    Chunk* chunk;
    while (ok && filled.pop(chunk) && chunk) {
        for (int64_t at = 0; at < chunk->frames; at += blockSize) {
            if (RenderSignals::interrupted()) {
                error = "interrupted; no output written";
                ok = false;
                break;
            }
            const int frames = static_cast<int>(std::min<int64_t>(blockSize, chunk->frames - at));
            inputs[0] = chunk->carrier.get() + at;
            inputs[1] = chunk->modulator.get() + at;
            float* target = chunk->rendered.get() + static_cast<size_t>(at) * width;
            if (direct) outputs[directChannel] = target;
            host.process(inputs.data(), outputs.data(), frames);
            if (direct) continue;
            for (int frame = 0; frame < frames; ++frame) {
                for (size_t c = 0; c < width; ++c) {
                    target[static_cast<size_t>(frame) * width + c] =
                        outputs[static_cast<size_t>(channels[c])][frame];
                }
            }
        }
        if (!ok) break;
        // Once pushed, the chunk belongs to the writer (and then the reader): count it first.
        const int64_t frames = chunk->frames;
        if (writeFailed || !rendered.push(chunk)) {
            ok = false;
            break;
        }
        done += frames;
        progress.update(done);
    }
    // Let the writer finish what it has, then stop everyone.
    rendered.close();
    writer.join();
    empty.close();
    filled.close();
    reader.join();
    if (ok && writeFailed) ok = false;
    if (!ok && error.empty()) error = writeError;
    return ok;
}
