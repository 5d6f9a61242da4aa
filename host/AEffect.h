#pragma once
// The records and constants of the VST 2.x host interface, written from the published layout.
// The 32-bit layout is 144 bytes; 64-bit hosts read the same fields in the same order with
// natural alignment and pointer-sized reserved fields.

#include <cstddef>
#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define VSTCALLBACK __cdecl
#else
#define VSTCALLBACK
#endif

struct AEffect;

typedef intptr_t(VSTCALLBACK* audioMasterCallback)(AEffect* effect, int32_t opcode, int32_t index,
                                                   intptr_t value, void* ptr, float opt);
typedef intptr_t(VSTCALLBACK* AEffectDispatcherProc)(AEffect* effect, int32_t opcode, int32_t index,
                                                     intptr_t value, void* ptr, float opt);
typedef void(VSTCALLBACK* AEffectProcessProc)(AEffect* effect, float** inputs, float** outputs,
                                              int32_t sampleFrames);
typedef void(VSTCALLBACK* AEffectSetParameterProc)(AEffect* effect, int32_t index, float value);
typedef float(VSTCALLBACK* AEffectGetParameterProc)(AEffect* effect, int32_t index);

const int32_t kEffectMagic = 0x56737450;  // 'VstP'

struct AEffect {
    int32_t magic;
    AEffectDispatcherProc dispatcher;
    AEffectProcessProc process;
    AEffectSetParameterProc setParameter;
    AEffectGetParameterProc getParameter;
    int32_t numPrograms;
    int32_t numParams;
    int32_t numInputs;
    int32_t numOutputs;
    int32_t flags;
    intptr_t resvd1;
    intptr_t resvd2;
    int32_t initialDelay;
    int32_t realQualities;
    int32_t offQualities;
    float ioRatio;
    void* object;
    void* user;
    int32_t uniqueID;
    int32_t version;
    AEffectProcessProc processReplacing;
    char future[60];
};

#if defined(__i386__) || defined(_M_IX86)
static_assert(sizeof(AEffect) == 144, "32-bit effect record is 144 bytes");
static_assert(offsetof(AEffect, magic) == 0 && offsetof(AEffect, dispatcher) == 4 &&
                  offsetof(AEffect, process) == 8 && offsetof(AEffect, setParameter) == 12 &&
                  offsetof(AEffect, getParameter) == 16 && offsetof(AEffect, numPrograms) == 20 &&
                  offsetof(AEffect, numParams) == 24 && offsetof(AEffect, numInputs) == 28 &&
                  offsetof(AEffect, numOutputs) == 32 && offsetof(AEffect, flags) == 36 &&
                  offsetof(AEffect, resvd1) == 40 && offsetof(AEffect, resvd2) == 44 &&
                  offsetof(AEffect, initialDelay) == 48 && offsetof(AEffect, realQualities) == 52 &&
                  offsetof(AEffect, offQualities) == 56 && offsetof(AEffect, ioRatio) == 60 &&
                  offsetof(AEffect, object) == 64 && offsetof(AEffect, user) == 68 &&
                  offsetof(AEffect, uniqueID) == 72 && offsetof(AEffect, version) == 76 &&
                  offsetof(AEffect, processReplacing) == 80 && offsetof(AEffect, future) == 84,
              "32-bit effect record offsets");
#else
static_assert(offsetof(AEffect, magic) == 0 && offsetof(AEffect, dispatcher) == 8 &&
                  offsetof(AEffect, process) == 16 && offsetof(AEffect, setParameter) == 24 &&
                  offsetof(AEffect, getParameter) == 32 && offsetof(AEffect, numPrograms) == 40 &&
                  offsetof(AEffect, numParams) == 44 && offsetof(AEffect, numInputs) == 48 &&
                  offsetof(AEffect, numOutputs) == 52 && offsetof(AEffect, flags) == 56 &&
                  offsetof(AEffect, resvd1) == 64 && offsetof(AEffect, resvd2) == 72 &&
                  offsetof(AEffect, initialDelay) == 80 && offsetof(AEffect, realQualities) == 84 &&
                  offsetof(AEffect, offQualities) == 88 && offsetof(AEffect, ioRatio) == 92 &&
                  offsetof(AEffect, object) == 96 && offsetof(AEffect, user) == 104 &&
                  offsetof(AEffect, uniqueID) == 112 && offsetof(AEffect, version) == 116 &&
                  offsetof(AEffect, processReplacing) == 120 && offsetof(AEffect, future) == 128,
              "64-bit effect record offsets");
#endif

// Bits of AEffect::flags.
enum VstAEffectFlags : int32_t {
    effFlagsHasEditor = 1,
    effFlagsHasClip = 2,
    effFlagsHasVu = 4,
    effFlagsCanMono = 8,
    effFlagsCanReplacing = 16,
    effFlagsProgramChunks = 32,
    effFlagsIsSynth = 256,
    effFlagsNoSoundInStop = 512,
    effFlagsExtIsAsync = 1024,
    effFlagsExtHasBuffer = 2048,
};

// Opcodes the host sends through the dispatcher.
// Several opcodes to a line: the order gives the numbers.
// clang-format off
enum AEffectOpcodes : int32_t {
    effOpen = 0, effClose, effSetProgram, effGetProgram, effSetProgramName, effGetProgramName,
    effGetParamLabel, effGetParamDisplay, effGetParamName, effGetVu, effSetSampleRate,
    effSetBlockSize, effMainsChanged, effEditGetRect, effEditOpen, effEditClose, effEditDraw,
    effEditMouse, effEditKey, effEditIdle, effEditTop, effEditSleep, effIdentify, effGetChunk,
    effSetChunk,
    effProcessEvents = 25, effCanBeAutomated, effString2Parameter, effGetNumProgramCategories,
    effGetProgramNameIndexed, effCopyProgram, effConnectInput, effConnectOutput,
    effGetInputProperties, effGetOutputProperties, effGetPlugCategory, effGetCurrentPosition,
    effGetDestinationBuffer, effOfflineNotify, effOfflinePrepare, effOfflineRun, effProcessVarIo,
    effSetSpeakerArrangement, effSetBlockSizeAndSampleRate, effSetBypass, effGetEffectName,
    effGetErrorText, effGetVendorString, effGetProductString, effGetVendorVersion,
    effVendorSpecific, effCanDo, effGetTailSize, effIdle, effGetIcon, effSetViewPosition,
    effGetParameterProperties, effKeysRequired, effGetVstVersion, effEditKeyDown, effEditKeyUp,
    effSetEditKnobMode, effGetMidiProgramName, effGetCurrentMidiProgram,
    effGetMidiProgramCategory, effHasMidiProgramsChanged, effGetMidiKeyName, effBeginSetProgram,
    effEndSetProgram, effGetSpeakerArrangement, effShellGetNextPlugin, effStartProcess,
    effStopProcess, effSetTotalSampleToProcess, effSetPanLaw, effBeginLoadBank,
    effBeginLoadProgram,
};
// clang-format on

// Opcodes the effect sends through the host callback.
// Several opcodes to a line: the order gives the numbers.
// clang-format off
enum AudioMasterOpcodes : int32_t {
    audioMasterAutomate = 0, audioMasterVersion = 1, audioMasterCurrentId = 2, audioMasterIdle = 3,
    audioMasterPinConnected = 4, audioMasterWantMidi = 6, audioMasterGetTime = 7,
    audioMasterTempoAt = 10, audioMasterGetNumAutomatableParameters = 11,
    audioMasterGetParameterQuantization = 12, audioMasterIOChanged = 13,
    audioMasterNeedIdle = 14, audioMasterSizeWindow = 15, audioMasterGetSampleRate = 16,
    audioMasterGetBlockSize = 17, audioMasterGetInputLatency = 18,
    audioMasterGetOutputLatency = 19, audioMasterGetPreviousPlug = 20,
    audioMasterGetNextPlug = 21, audioMasterWillReplaceOrAccumulate = 22,
    audioMasterGetCurrentProcessLevel = 23, audioMasterGetAutomationState = 24,
    audioMasterOfflineStart = 25, audioMasterOfflineRead = 26, audioMasterOfflineWrite = 27,
    audioMasterOfflineGetCurrentPass = 28, audioMasterOfflineGetCurrentMetaPass = 29,
    audioMasterSetOutputSampleRate = 30, audioMasterGetOutputSpeakerArrangement = 31,
    audioMasterGetVendorString = 32, audioMasterGetProductString = 33,
    audioMasterGetVendorVersion = 34, audioMasterVendorSpecific = 35, audioMasterCanDo = 37,
    audioMasterGetLanguage = 38, audioMasterOpenWindow = 39, audioMasterCloseWindow = 40,
    audioMasterGetDirectory = 41, audioMasterUpdateDisplay = 42, audioMasterBeginEdit = 43,
    audioMasterEndEdit = 44, audioMasterOpenFileSelector = 45,
    audioMasterGetInputSpeakerArrangement = 49,
};
// clang-format on

enum VstPlugCategory : int32_t { kPlugCategUnknown = 0, kPlugCategEffect = 1, kPlugCategSynth = 2 };

// Key event handed to the editor (effEditKeyDown / effEditKeyUp).
struct VstKeyCode {
    int32_t character;
    uint8_t virt;
    uint8_t modifier;
};

// Editor rectangle answered to effEditGetRect.
struct ERect {
    int16_t top;
    int16_t left;
    int16_t bottom;
    int16_t right;
};

enum VstPinPropertiesFlags : int32_t {
    kVstPinIsActive = 1,
    kVstPinIsStereo = 2,
    kVstPinUseSpeaker = 4,
};

struct VstPinProperties {
    char label[64];
    int32_t flags;
    int32_t arrangementType;
    char shortLabel[8];
    char future[48];
};
static_assert(sizeof(VstPinProperties) == 128, "pin properties record is 128 bytes");

struct VstSpeakerProperties {
    float azimuth;
    float elevation;
    float radius;
    float reserved;
    char name[64];
    int32_t type;
    char future[28];
};
static_assert(sizeof(VstSpeakerProperties) == 112, "speaker record is 112 bytes");

// A type, a channel count and one speaker record per channel (allocated for the actual count).
struct VstSpeakerArrangement {
    int32_t type;
    int32_t numChannels;
    VstSpeakerProperties speakers[8];
};

// Records the base classes pass through without reading.
struct VstEvents;
struct VstTimeInfo;
struct VstVariableIo;
struct VstParameterProperties;
struct VstPatchChunkInfo;
struct VstAudioFile;
struct VstOfflineTask;
struct VstWindow;
struct VstFileSelect;
struct MidiProgramName;
struct MidiProgramCategory;
struct MidiKeyName;
