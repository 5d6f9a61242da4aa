#pragma once
// Signal handling of ostraquelle-render: Ctrl-C and termination ask the render loops to stop
// cleanly, and a crash inside the hosted plug-in still removes the temporary output files.
// While an input read blocks (a pipe whose writer stalls), an interrupt cannot wait for the
// loop: it removes the temporary files and ends the process at once.

class RenderSignals {
public:
    static constexpr int kTemporarySlots = 64;

    static void install();
    // True once SIGINT, SIGTERM or SIGHUP arrived.
    static bool interrupted();
    // Registers a temporary output file to remove if the process dies; answers its slot, or -1
    // when every slot is taken (the file is then only removed by the normal paths).
    static int addTemporaryFile(const char* path);
    static void removeTemporaryFile(int slot);

    // Brackets an input read that may block for as long as its writer likes.
    class BlockingRead {
    public:
        BlockingRead();
        ~BlockingRead();
        BlockingRead(const BlockingRead&) = delete;
        BlockingRead& operator=(const BlockingRead&) = delete;
    };
};
