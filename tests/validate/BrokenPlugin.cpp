// A small plug-in with one deliberate fault per suite of ostraquelle-validate, chosen by the
// environment variable BROKEN_PLUGIN_FAULT (1..7); without it the plug-in behaves. The tests
// run the validator against it to show that every suite finds its fault.
//   1 instances share their filter state        5 copying a program spoils the gain
//   2 the vendor string overruns its buffer     6 processing allocates
//   3 a parameter value is used unchecked       7 the editor refuses to open a second time
//   4 output is not silent after a reset

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include "host/AEffect.h"

#ifdef _WIN32
#include <windows.h>
#define BROKEN_EXPORT extern "C" __declspec(dllexport)
#else
#define BROKEN_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

int fault() {
    const char* chosen = std::getenv("BROKEN_PLUGIN_FAULT");
    return chosen ? std::atoi(chosen) : 0;
}

const int32_t kParams = 4;
const int32_t kPrograms = 2;
double sharedState[2];  // fault 1: where every instance keeps its filter state

struct Plugin {
    AEffect record;
    float params[kParams] = {0.5f, 0.5f, 0.5f, 0.5f};
    float programGain[kPrograms] = {0.5f, 0.5f};
    int32_t program = 0;
    double ownState[2] = {0.0, 0.0};
    double offset = 0.0;  // fault 4: what a reset leaves behind
    int opens = 0;
#ifdef _WIN32
    HWND window = nullptr;
#endif
    double* state() { return fault() == 1 ? sharedState : ownState; }
};

Plugin* of(AEffect* record) { return static_cast<Plugin*>(record->object); }

void setParameter(AEffect* record, int32_t index, float value) {
    if (index < 0 || index >= kParams) return;
    if (fault() != 3 && !(value >= 0.0f && value <= 1.0f)) return;  // NaN fails both
    of(record)->params[index] = value;
}

float getParameter(AEffect* record, int32_t index) {
    return index >= 0 && index < kParams ? of(record)->params[index] : 0.0f;
}

void processReplacing(AEffect* record, float** inputs, float** outputs, int32_t frames) {
    Plugin* p = of(record);
    if (frames <= 0 || !inputs || !outputs) return;
    double* filter = nullptr;
    if (fault() == 6) filter = new double[2];  // fault 6
    for (int c = 0; c < 2; c++) {
        if (!outputs[c] || !inputs[c]) continue;
        double& s = p->state()[c];
        for (int32_t k = 0; k < frames; k++) {
            s += 0.3 * (inputs[c][k] - s);
            outputs[c][k] = static_cast<float>(s * p->params[0] * 2.0 + p->offset);
        }
    }
    delete[] filter;
}

void process(AEffect* record, float** inputs, float** outputs, int32_t frames) {
    processReplacing(record, inputs, outputs, frames);
}

void copyText(char* to, const char* text) {
    if (to) std::strcpy(to, text);
}

intptr_t dispatcher(AEffect* record, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                    float) {
    Plugin* p = of(record);
    switch (opcode) {
        case effClose:
#ifdef _WIN32
            if (p->window) DestroyWindow(p->window);
#endif
            delete p;
            return 1;
        case effSetProgram:
            if (value >= 0 && value < kPrograms) {
                p->program = static_cast<int32_t>(value);
                p->params[0] = p->programGain[p->program];
            }
            return 0;
        case effGetProgram: return p->program;
        case effCopyProgram:
            if (index < 0 || index >= kPrograms) return 0;
            p->programGain[index] = p->params[0];
            if (fault() == 5) p->params[0] = std::nanf("");  // fault 5
            return 1;
        case effMainsChanged:
            p->ownState[0] = p->ownState[1] = 0.0;
            if (fault() == 4 && value) p->offset = 1e-3;  // fault 4
            return 0;
        case effGetEffectName: copyText(static_cast<char*>(ptr), "Broken"); return 1;
        case effGetProductString: copyText(static_cast<char*>(ptr), "Broken"); return 1;
        case effGetVendorString:
            if (!ptr) return 0;
            if (fault() == 2) {
                std::memset(ptr, 'v', 1030);  // fault 2: beyond the host's 1024 bytes
                return 1;
            }
            copyText(static_cast<char*>(ptr), "Ostraquelle tests");
            return 1;
        case effEditGetRect: {
            static ERect rect = {0, 0, 100, 200};
            if (ptr) *static_cast<ERect**>(ptr) = &rect;
            return 1;
        }
        case effEditOpen:
            if (fault() == 7 && p->opens > 0) return 0;  // fault 7
            p->opens++;
#ifdef _WIN32
            if (p->window) DestroyWindow(p->window);
            p->window = ptr ? CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 200, 100,
                                            static_cast<HWND>(ptr), nullptr, nullptr, nullptr)
                            : nullptr;
#endif
            return 1;
        case effEditClose:
#ifdef _WIN32
            if (p->window) DestroyWindow(p->window);
            p->window = nullptr;
#endif
            return 0;
        default: return 0;
    }
}

}  // namespace

BROKEN_EXPORT AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback host) {
    if (!host || host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    Plugin* p = new (std::nothrow) Plugin;
    if (!p) return nullptr;
    std::memset(&p->record, 0, sizeof p->record);
    p->record.magic = kEffectMagic;
    p->record.dispatcher = dispatcher;
    p->record.process = process;
    p->record.processReplacing = processReplacing;
    p->record.setParameter = setParameter;
    p->record.getParameter = getParameter;
    p->record.numPrograms = kPrograms;
    p->record.numParams = kParams;
    p->record.numInputs = 2;
    p->record.numOutputs = 2;
    p->record.flags = effFlagsCanReplacing | effFlagsHasEditor;
    p->record.uniqueID = 0x42726b6e;
    p->record.object = p;
    return &p->record;
}
