#include "tools/render/BatchRender.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>

#include "tools/render/FileRender.h"
#include "tools/render/RenderSignals.h"

namespace {

// The shared display: summary lines and messages go out whole, and the progress line is
// cleared before them and drawn again after.
class BatchDisplay {
public:
    BatchDisplay(size_t total, bool quiet, FILE* out, FILE* err)
        : total(total), quiet(quiet), out(out), err(err),
          terminal(!quiet && isatty(fileno(err)) == 1),
          started(std::chrono::steady_clock::now()) {}

    void finished(const FileOutcome& outcome, const RenderJob& job) {
        std::lock_guard<std::mutex> hold(lock);
        clearProgress();
        ++done;
        audioSeconds += outcome.audioSeconds;
        if (outcome.status == 0) {
            ++rendered;
            for (const std::string& warning : outcome.warnings) {
                std::fprintf(err, "ostraquelle-render: warning: %s\n", warning.c_str());
            }
            if (!quiet) std::fprintf(out, "%s\n", outcome.summary.c_str());
            std::fflush(out);
        } else if (!RenderSignals::interrupted()) {
            std::fprintf(err, "ostraquelle-render: %s: %s\n", job.outputPath.c_str(),
                         outcome.message.c_str());
        }
        if (outcome.status == 2) badSettings = true;
        drawProgress();
    }

    void finish() {
        std::lock_guard<std::mutex> hold(lock);
        clearProgress();
        const double wall = elapsed();
        if (RenderSignals::interrupted()) {
            std::fprintf(err, "ostraquelle-render: interrupted; %zu of %zu files written, the "
                              "others not\n", rendered, total);
        }
        if (!quiet) {
            std::fprintf(out, "%s\n",
                         BatchRender::totalText(rendered, total - rendered, audioSeconds, wall)
                             .c_str());
        }
        std::fflush(out);
    }

    size_t failures() const { return total - rendered; }
    bool settingsRefused() const { return badSettings; }

private:
    double elapsed() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    }
    void clearProgress() {
        if (!terminal || !shown) return;
        std::fprintf(err, "\r%70s\r", "");
        shown = false;
    }
    void drawProgress() {
        if (!terminal || done == total) return;
        std::fprintf(err, "\r%s",
                     BatchRender::progressText(done, total, audioSeconds, elapsed()).c_str());
        std::fflush(err);
        shown = true;
    }

    std::mutex lock;
    const size_t total;
    const bool quiet;
    FILE* out;
    FILE* err;
    const bool terminal;
    const std::chrono::steady_clock::time_point started;
    size_t done = 0, rendered = 0;
    double audioSeconds = 0.0;
    bool shown = false;
    bool badSettings = false;
};

}  // namespace

std::string BatchRender::progressText(size_t done, size_t total, double audioSeconds,
                                      double elapsedSeconds) {
    char text[128];
    if (done == 0) {
        std::snprintf(text, sizeof(text), "rendering: 0 of %zu files", total);
    } else {
        const double left = elapsedSeconds / static_cast<double>(done) *
                            static_cast<double>(total - done);
        std::snprintf(text, sizeof(text), "rendering: %zu of %zu files, %.1f s of audio, about %.0f s left",
                      done, total, audioSeconds, left);
    }
    return text;
}

std::string BatchRender::totalText(size_t rendered, size_t failed, double audioSeconds,
                                   double wallSeconds) {
    char text[256];
    const double wall = wallSeconds > 0.0 ? wallSeconds : 1e-9;
    std::snprintf(text, sizeof(text),
                  "%zu file(s) rendered, %zu failed: %.2f s of audio in %.2f s (%.1f audio seconds "
                  "per second, %.2f files per second)",
                  rendered, failed, audioSeconds, wallSeconds, audioSeconds / wall,
                  static_cast<double>(rendered) / wall);
    return text;
}

int BatchRender::run(const std::string& pluginPath, const RenderOptions& options,
                     const std::vector<RenderJob>& jobs, int workers, FILE* out, FILE* err) {
    std::vector<std::string> allInputs;
    for (const RenderJob& job : jobs) {
        for (const std::string& path : job.inputs()) allInputs.push_back(path);
    }
    BatchDisplay display(jobs.size(), options.quiet, out, err);
    std::atomic<size_t> next(0);
    auto work = [&] {
        FileRender renderer(pluginPath, options);
        for (;;) {
            const size_t index = next.fetch_add(1);
            if (index >= jobs.size() || RenderSignals::interrupted()) return;
            FileOutcome outcome = renderer.render(jobs[index], allInputs, false, err, false,
                                                  std::chrono::steady_clock::now());
            display.finished(outcome, jobs[index]);
        }
    };
    const size_t count = std::min(jobs.size(), static_cast<size_t>(workers < 1 ? 1 : workers));
    std::vector<std::thread> threads;
    for (size_t i = 1; i < count; ++i) threads.emplace_back(work);
    work();
    for (std::thread& thread : threads) thread.join();
    display.finish();
    if (display.settingsRefused()) return 2;
    return display.failures() == 0 ? 0 : 1;
}
