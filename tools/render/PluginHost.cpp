#include "tools/render/PluginHost.h"

#include <cstring>
#include <vector>

#include "OstraquelleVersion.h"
#include "hosting/HostAnswers.h"
#include "hosting/PluginModule.h"

namespace {

// The host being loaded: while `main` runs the effect has no record yet to carry us in `user`.
// One per thread: a batch's workers load their plug-ins at the same time, each on its own.
thread_local PluginHost* hostBeingLoaded = nullptr;

// The host capabilities this offline host really has.
const char* const kHostCapabilities[] = {"startStopProcess", nullptr};

}  // namespace

PluginHost::~PluginHost() { unload(); }

intptr_t VSTCALLBACK PluginHost::callback(AEffect* effect, int32_t opcode, int32_t, intptr_t,
                                          void* ptr, float) {
    PluginHost* host = effect != nullptr && effect->user != nullptr
                           ? static_cast<PluginHost*>(effect->user)
                           : hostBeingLoaded;
    // Nothing records automation offline: audioMasterAutomate, like every opcode not
    // answered here, gets 0.
    HostAnswers answers;
    answers.version = kHostVersion;
    answers.sampleRate = host != nullptr ? static_cast<intptr_t>(host->rate) : 0;
    answers.blockSize = host != nullptr ? host->blockFrames : 0;
    answers.vendor = "Ostraquelle";
    answers.product = "ostraquelle-render";
    // 1.0.0 answers 1000
    answers.vendorVersion = OSTRAQUELLE_VERSION_MAJOR * 1000 + OSTRAQUELLE_VERSION_MINOR * 100 +
                            OSTRAQUELLE_VERSION_PATCH;
    answers.canDo = kHostCapabilities;
    return answerHostQuery(answers, opcode, ptr);
}

bool PluginHost::load(const std::string& path, double sampleRate, int blockSize,
                      std::string& error) {
    unload();
    rate = sampleRate;
    blockFrames = blockSize;

    library = openPlugin(path.c_str());
    if (library == nullptr) {
        error = "cannot load plug-in " + path + ": " + loadError(path.c_str());
        return false;
    }
    const PluginMain entry = findPluginEntry(library);
    if (entry == nullptr) {
        error = "not a VST 2.x plug-in: " + path + " exports neither VSTPluginMain nor main";
        unload();
        return false;
    }

    hostBeingLoaded = this;
    AEffect* created = entry(&PluginHost::callback);
    hostBeingLoaded = nullptr;
    if (created == nullptr) {
        error = "plug-in " + path + " returned no effect (its entry answered null)";
        unload();
        return false;
    }
    if (created->magic != kEffectMagic) {
        error = "plug-in " + path + " returned a record without the VST magic number";
        effectRecord = nullptr;  // not a record we may call into
        unload();
        return false;
    }
    effectRecord = created;
    effectRecord->user = this;

    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
    dispatch(effSetBlockSize, 0, blockFrames);
    return true;
}

void PluginHost::unload() {
    if (effectRecord != nullptr) {
        stop();
        dispatch(effClose);  // the effect destroys itself; the record is gone
        effectRecord = nullptr;
    }
    if (library != nullptr) {
        closePlugin(library);
        library = nullptr;
    }
}

intptr_t PluginHost::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    return effectRecord->dispatcher(effectRecord, opcode, index, value, ptr, opt);
}

std::string PluginHost::text(int32_t opcode, int32_t index) {
    // Far larger than the 8 characters the interface once promised: names run longer.
    std::vector<char> buffer(512, '\0');
    dispatch(opcode, index, 0, buffer.data());
    buffer.back() = '\0';
    return std::string(buffer.data());
}

std::string PluginHost::parameterName(int index) { return text(effGetParamName, index); }
std::string PluginHost::parameterLabel(int index) { return text(effGetParamLabel, index); }
std::string PluginHost::parameterDisplay(int index) { return text(effGetParamDisplay, index); }
std::string PluginHost::programName() { return text(effGetProgramName, 0); }
std::string PluginHost::effectName() { return text(effGetEffectName, 0); }

float PluginHost::parameter(int index) { return effectRecord->getParameter(effectRecord, index); }

void PluginHost::setParameter(int index, float value) {
    effectRecord->setParameter(effectRecord, index, value);
}

int PluginHost::program() { return static_cast<int>(dispatch(effGetProgram)); }

bool PluginHost::setProgram(int program) {
    if (program < 0 || program >= effectRecord->numPrograms) return false;
    dispatch(effBeginSetProgram);
    dispatch(effSetProgram, 0, program);
    dispatch(effEndSetProgram);
    return true;
}

void PluginHost::start() {
    if (running) return;
    dispatch(effMainsChanged, 0, 1);
    dispatch(effStartProcess);
    running = true;
}

void PluginHost::stop() {
    if (!running) return;
    dispatch(effStopProcess);
    dispatch(effMainsChanged, 0, 0);
    running = false;
}

void PluginHost::process(float** inputs, float** outputs, int frames) {
    for (int channel = 0; channel < effectRecord->numOutputs; ++channel) {
        std::memset(outputs[channel], 0, sizeof(float) * static_cast<size_t>(frames));
    }
    if ((effectRecord->flags & effFlagsCanReplacing) != 0 &&
        effectRecord->processReplacing != nullptr) {
        effectRecord->processReplacing(effectRecord, inputs, outputs, frames);
    } else {
        effectRecord->process(effectRecord, inputs, outputs, frames);
    }
}
