#pragma once
// Signal handling of ostraquelle-render: Ctrl-C and termination ask the render loop to stop
// cleanly, and a crash inside the hosted plug-in still removes the temporary output file.

class RenderSignals {
public:
    static void install();
    // True once SIGINT, SIGTERM or SIGHUP arrived.
    static bool interrupted();
    // The temporary output file to remove if the process dies; null when there is none.
    static void setTemporaryFile(const char* path);
};
