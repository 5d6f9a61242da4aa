#pragma once
// The render loop on three threads, so that file work hides under the processing: a reader
// decodes the inputs into chunks, the calling thread runs the plug-in over each chunk block by
// block, and a writer converts and encodes the rendered chunks. A few chunks circulate between
// them through bounded queues, so memory stays fixed whatever the file's length.

#include <cstdint>
#include <string>
#include <vector>

class InputPair;
class OutputFile;
class PluginHost;
class ProgressReporter;

class RenderPipeline {
public:
    // Frames per chunk: at most kChunkFrames, several plug-in blocks, so that the threads meet
    // rarely; the first chunk kFirstChunkFrames, so that the processing starts early.
    static constexpr int kChunkFrames = 16384;
    static constexpr int kFirstChunkFrames = 1024;
    static constexpr int kChunks = 4;

    // Frames of the reader's chunk number `index` (from 0): a whole number of plug-in blocks,
    // so that every call but the last gets a full block, exactly as when the blocks are read
    // one by one; the first size doubling up to the largest.
    static int64_t chunkFrames(int index, int blockSize);

    // The host must be started. Runs the plug-in over the whole input and writes the selected
    // output channels; stops early, answering false with the reason, when the file cannot be
    // written or the user interrupts.
    static bool run(PluginHost& host, InputPair& input, OutputFile& output,
                    const std::vector<int>& channels, ProgressReporter& progress,
                    std::string& error);
};
