#include "Host.h"

#include <cmath>
#include <cstring>

#include "Random.h"
#include "hosting/HostAnswers.h"

HostState hostState;

namespace {
#ifdef _WIN32
// Up and down in turn, so that the value changes also when the control is at one end.
void moveMouse() {
    static bool down = false;
    POINT at;
    if (GetCursorPos(&at)) SetCursorPos(at.x, at.y + (down ? 20 : -20));
    down = !down;
}
void releaseMouse() {
    INPUT lift = {};
    lift.type = INPUT_MOUSE;
    lift.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(1, &lift, sizeof lift);
}
#else
void moveMouse() {}
void releaseMouse() {}
#endif
}  // namespace

// Called by the plug-in from whichever thread it runs on; records and answers without locks.
intptr_t VSTCALLBACK validatorHost(AEffect* effect, int32_t opcode, int32_t, intptr_t, void*,
                                   float) {
    switch (opcode) {
        case audioMasterBeginEdit: hostState.beginEdits++; return 1;
        case audioMasterEndEdit: hostState.endEdits++; return 1;
        case audioMasterIdle:
        case audioMasterAutomate: {
            (opcode == audioMasterIdle ? hostState.idleCalls : hostState.automateCalls)++;
            AEffect* closing = hostState.closeEditorOnCallback.load();
            if (!closing || closing != effect) return 0;
            // A control that never reports a change is given up on after a while.
            if (opcode == audioMasterIdle && hostState.dragMoves.load() &&
                ++hostState.dragIdles < 50) {
                moveMouse();
                return 0;
            }
            if (hostState.closeEditorOnCallback.compare_exchange_strong(closing, nullptr)) {
                closing->dispatcher(closing, effEditClose, 0, 0, nullptr, 0.0f);
                releaseMouse();  // the user lets go, as after closing a window
            }
            return 0;
        }
        default: {
            // The version may be changed by a test of old hosts; rate and block size are fixed.
            HostAnswers answers;
            answers.version = hostState.versionAnswer.load();
            return answerHostQuery(answers, opcode, nullptr);
        }
    }
}

AudioBlock::AudioBlock(int32_t inputCount, int32_t outputCount, int32_t frameCount)
    : frames(0),
      in(static_cast<size_t>(inputCount > 0 ? inputCount : 0)),
      out(static_cast<size_t>(outputCount > 0 ? outputCount : 0)) {
    resize(frameCount);
}

void AudioBlock::resize(int32_t frameCount) {
    frames = frameCount;
    const size_t size = static_cast<size_t>(frameCount > 0 ? frameCount : 1);
    inputs.clear();
    outputs.clear();
    for (auto& channel : in) {
        channel.assign(size, 0.0f);
        inputs.push_back(channel.data());
    }
    for (auto& channel : out) {
        channel.assign(size, 0.0f);
        outputs.push_back(channel.data());
    }
}

void AudioBlock::fillMaterial(uint64_t seed, int64_t position) {
    Random noise(seed * 7919 + static_cast<uint64_t>(position));
    for (size_t c = 0; c < in.size(); c++) {
        const double pitch = 0.01 + 0.003 * static_cast<double>((seed + c) % 17);
        for (int32_t k = 0; k < frames; k++) {
            const double t = static_cast<double>(position + k);
            const double tone = std::sin(pitch * t) * 0.4 + std::sin(pitch * 2.7 * t) * 0.2;
            in[c][static_cast<size_t>(k)] = static_cast<float>(tone + 0.2 * noise.signal());
        }
    }
}

void AudioBlock::fillSilence() {
    for (auto& channel : in) std::fill(channel.begin(), channel.end(), 0.0f);
}

void AudioBlock::fillOutputs(float value) {
    for (auto& channel : out) std::fill(channel.begin(), channel.end(), value);
}

bool AudioBlock::outputsFinite() const {
    for (size_t c = 0; c < out.size(); c++) {
        if (!outputs[c]) continue;
        for (int32_t k = 0; k < frames; k++)
            if (!std::isfinite(outputs[c][k])) return false;
    }
    return true;
}

bool AudioBlock::outputsSilent() const {
    for (size_t c = 0; c < out.size(); c++) {
        if (!outputs[c]) continue;
        for (int32_t k = 0; k < frames; k++)
            if (outputs[c][k] != 0.0f) return false;
    }
    return true;
}

Effect::Effect(const PluginLibrary& library) : record(library.create(&validatorHost)) {
    if (record && record->magic != kEffectMagic) record = nullptr;
}

Effect::~Effect() { close(); }

intptr_t Effect::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    return record ? record->dispatcher(record, opcode, index, value, ptr, opt) : 0;
}

void Effect::start(float rate, int32_t blockSize) {
    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, 0, nullptr, rate);
    dispatch(effSetBlockSize, 0, blockSize);
    resume();
}

void Effect::process(AudioBlock& block) {
    if (!record) return;
    float** inputs = block.inputs.empty() ? nullptr : block.inputs.data();
    float** outputs = block.outputs.empty() ? nullptr : block.outputs.data();
    if (record->flags & effFlagsCanReplacing)
        record->processReplacing(record, inputs, outputs, block.frames);
    else
        record->process(record, inputs, outputs, block.frames);
}

void Effect::close() {
    if (!record) return;
    suspend();
    record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);
    record = nullptr;
}

void applySettings(Effect& effect, uint64_t seed) {
    effect.dispatch(effSetProgram, 0, 0);
    Random values(seed);
    for (int32_t i = 0; i < effect.get()->numParams; i++)
        effect.set(i, static_cast<float>(values.unit()));
}
