// Cost of the vocoder per sample and its real-time factor at 44.1 kHz, through the engine's
// block processing in 512-frame blocks as the effect runs it, and the cost of silence after loud input (denormals).
//
// Counters: ns_per_sample (CPU time per frame in nanoseconds; the library prints inverted
// rates with an "s" suffix), x_realtime (seconds of 44.1 kHz audio
// processed per CPU second), and for the silence case silence_vs_noise (time of 10 s of
// silence after 10 s of loud noise divided by the time of those 10 s of noise, same run).

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include "EngineSetup.h"

namespace {

const int kRate = 44100;
const int kBlock = 512;

struct Signal {
    std::vector<float> carrier, modulator;
    Signal(int frames, float level, uint32_t seed) : carrier(frames), modulator(frames) {
        for (int k = 0; k < frames; ++k) {
            seed = seed * 1664525u + 1013904223u;
            carrier[k] = level * static_cast<float>(static_cast<int32_t>(seed) / 2147483648.0);
            seed = seed * 1664525u + 1013904223u;
            modulator[k] = level * static_cast<float>(static_cast<int32_t>(seed) / 2147483648.0);
        }
    }
};

void render(VocoderEngine& engine, Signal& signal, std::vector<std::vector<float>>& out,
            int block = kBlock) {
    float* outputs[8];
    const int frames = static_cast<int>(signal.carrier.size());
    for (int start = 0; start < frames; start += block) {
        const int n = frames - start < block ? frames - start : block;
        for (int c = 0; c < 8; ++c) outputs[c] = out[c].data();
        processBlock(engine, &signal.carrier[start], &signal.modulator[start], outputs, n);
    }
}

std::vector<std::vector<float>> outputBuffers() {
    return std::vector<std::vector<float>>(8, std::vector<float>(kBlock));
}

void setCounters(benchmark::State& state, int64_t frames) {
    state.counters["ns_per_sample"] =
        benchmark::Counter(static_cast<double>(frames) * 1e-9,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(frames) / kRate, benchmark::Counter::kIsRate);
}

// One second of noise per iteration through an engine with the default settings, then
// changed by configure.
template <typename Configure>
void runSetting(benchmark::State& state, Configure configure, int block = kBlock) {
    std::unique_ptr<VocoderEngine> engine(new VocoderEngine());
    applyDefaultSettings(*engine);
    configure(*engine);
    Signal signal(kRate, 0.5f, 1);
    auto out = outputBuffers();
    int64_t frames = 0;
    for (auto _ : state) {
        render(*engine, signal, out, block);
        benchmark::DoNotOptimize(out[0].data());
        frames += kRate;
    }
    setCounters(state, frames);
}

void Defaults(benchmark::State& state) {
    runSetting(state, [](VocoderEngine&) {});
}

// Hosts with low latency pass small blocks; the per-block work must stay small beside them.
void DefaultsBlocksOf32(benchmark::State& state) {
    runSetting(
        state, [](VocoderEngine&) {}, 32);
}

void Orders201Whitening(benchmark::State& state) {
    runSetting(state, [](VocoderEngine& engine) {
        engine.setModulatorOrder(201);
        engine.setCarrierOrder(201);
        engine.setWhitening(true);
    });
}

void Order1024(benchmark::State& state) {
    runSetting(state, [](VocoderEngine& engine) { engine.setModulatorOrder(1024); });
}

void Orders1024Whitening(benchmark::State& state) {
    runSetting(state, [](VocoderEngine& engine) {
        engine.setModulatorOrder(1024);
        engine.setCarrierOrder(1024);
        engine.setWhitening(true);
    });
}

double secondsOf(VocoderEngine& engine, Signal& signal, std::vector<std::vector<float>>& out) {
    const auto start = std::chrono::steady_clock::now();
    render(engine, signal, out);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Each iteration: a fresh engine processes 10 s of loud noise, then 10 s of silence. The
// iteration's time is the silence; the ratio compares it with the noise before it.
void SilenceAfterLoudNoise(benchmark::State& state) {
    Signal noise(10 * kRate, 0.99f, 3);
    Signal silence(10 * kRate, 0.0f, 0);
    auto out = outputBuffers();
    double noiseTotal = 0.0, silenceTotal = 0.0;
    for (auto _ : state) {
        std::unique_ptr<VocoderEngine> engine(new VocoderEngine());
        applyDefaultSettings(*engine);
        noiseTotal += secondsOf(*engine, noise, out);
        const double quiet = secondsOf(*engine, silence, out);
        silenceTotal += quiet;
        state.SetIterationTime(quiet);
    }
    state.counters["silence_vs_noise"] = silenceTotal / noiseTotal;
    state.counters["noise_s"] = noiseTotal / state.iterations();
    state.counters["silence_s"] = silenceTotal / state.iterations();
}

// The same material through the bare engine, without the flush-to-zero guard:
// what the guard saves.
void SilenceAfterLoudNoiseUnguarded(benchmark::State& state) {
    Signal noise(10 * kRate, 0.99f, 3);
    Signal silence(10 * kRate, 0.0f, 0);
    float sink[8];
    float* places[8];
    for (int c = 0; c < 8; ++c) places[c] = &sink[c];
    double noiseTotal = 0.0, silenceTotal = 0.0;
    for (auto _ : state) {
        std::unique_ptr<VocoderEngine> engine(new VocoderEngine());
        engine->setModulatorOrder(51);
        engine->setModulatorLearningRate(0.05);
        engine->setModulatorForgettingRate(0.00001);
        engine->setModulatorSmoothing(0.35);
        engine->setAttack(2.0);
        engine->setRelease(50.0);
        double seconds[2];
        Signal* parts[2] = {&noise, &silence};
        for (int p = 0; p < 2; ++p) {
            const auto start = std::chrono::steady_clock::now();
            for (size_t k = 0; k < parts[p]->carrier.size(); ++k)
                engine->process(&parts[p]->carrier[k], &parts[p]->modulator[k], places, 1);
            seconds[p] =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        }
        benchmark::DoNotOptimize(sink[0]);
        noiseTotal += seconds[0];
        silenceTotal += seconds[1];
        state.SetIterationTime(seconds[1]);
    }
    state.counters["silence_vs_noise"] = silenceTotal / noiseTotal;
}

}  // namespace

BENCHMARK(Defaults)->Unit(benchmark::kMillisecond);
BENCHMARK(DefaultsBlocksOf32)->Unit(benchmark::kMillisecond);
BENCHMARK(Orders201Whitening)->Unit(benchmark::kMillisecond);
BENCHMARK(Order1024)->Unit(benchmark::kMillisecond);
BENCHMARK(Orders1024Whitening)->Unit(benchmark::kMillisecond);
BENCHMARK(SilenceAfterLoudNoise)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(SilenceAfterLoudNoiseUnguarded)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
