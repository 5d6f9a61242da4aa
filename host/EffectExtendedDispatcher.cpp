// Opcodes 25 to 76; everything else goes to the first layer's dispatcher.

#include "host/EditorBase.h"
#include "host/EffectExtended.h"
#include "host/PinnedConversion.h"

intptr_t EffectExtended::dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                    float opt) {
    char* text = static_cast<char*>(ptr);
    switch (opcode) {
        case effProcessEvents: return processEvents(static_cast<VstEvents*>(ptr));
        case effCanBeAutomated: return canBeAutomated(index) ? 1 : 0;
        case effString2Parameter: return string2Parameter(index, text) ? 1 : 0;
        case effGetNumProgramCategories: return getNumProgramCategories();
        case effGetProgramNameIndexed:
            return getProgramNameIndexed(static_cast<int32_t>(value), index, text) ? 1 : 0;
        case effCopyProgram: return copyProgram(index) ? 1 : 0;
        case effConnectInput: connectInput(index, value != 0); return 1;
        case effConnectOutput: connectOutput(index, value != 0); return 1;
        case effGetInputProperties:
            return getInputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
        case effGetOutputProperties:
            return getOutputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
        case effGetPlugCategory: return getPlugCategory();
        case effGetCurrentPosition: return getCurrentPosition();
        case effGetDestinationBuffer: return reinterpret_cast<intptr_t>(getDestinationBuffer());
        case effOfflineNotify:
            return offlineNotify(static_cast<VstAudioFile*>(ptr), static_cast<int32_t>(value),
                                 index != 0)
                       ? 1
                       : 0;
        case effOfflinePrepare:
            return offlinePrepare(static_cast<VstOfflineTask*>(ptr), static_cast<int32_t>(value))
                       ? 1
                       : 0;
        case effOfflineRun:
            return offlineRun(static_cast<VstOfflineTask*>(ptr), static_cast<int32_t>(value)) ? 1
                                                                                              : 0;
        case effProcessVarIo: return processVarIo(static_cast<VstVariableIo*>(ptr)) ? 1 : 0;
        case effSetSpeakerArrangement:
            return setSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement*>(value),
                                         static_cast<VstSpeakerArrangement*>(ptr))
                       ? 1
                       : 0;
        case effSetBlockSizeAndSampleRate:
            setBlockSizeAndSampleRate(static_cast<int32_t>(value), opt);
            return 1;
        case effSetBypass: return setBypass(value != 0) ? 1 : 0;
        case effGetEffectName: return getEffectName(text) ? 1 : 0;
        case effGetErrorText: return getErrorText(text) ? 1 : 0;
        case effGetVendorString: return getVendorString(text) ? 1 : 0;
        case effGetProductString: return getProductString(text) ? 1 : 0;
        case effGetVendorVersion: return getVendorVersion();
        case effVendorSpecific: return vendorSpecific(index, value, ptr, opt);
        case effCanDo: return canDo(text);
        case effGetTailSize: return getTailSize();
        case effIdle: return effectIdle();
        case effGetIcon: return reinterpret_cast<intptr_t>(getIcon());
        case effSetViewPosition: return setViewPosition(index, static_cast<int32_t>(value)) ? 1 : 0;
        case effGetParameterProperties:
            return getParameterProperties(index, static_cast<VstParameterProperties*>(ptr)) ? 1 : 0;
        case effKeysRequired: return keysRequired() ? 0 : 1;  // the published sense is inverted
        case effGetVstVersion: return getVstVersion();
        case effEditKeyDown:
        case effEditKeyUp: {
            if (!editor) return 0;
            VstKeyCode key;
            key.character = index;
            key.virt = static_cast<uint8_t>(value & 0xFF);
            // Any float may arrive here; its conversion is pinned like the VU answer's.
            key.modifier = static_cast<uint8_t>(pinnedInt32(opt) & 0xFF);
            return opcode == effEditKeyDown ? editor->onKeyDown(&key) : editor->onKeyUp(&key);
        }
        case effSetEditKnobMode:
            return editor ? editor->setKnobMode(static_cast<int32_t>(value)) : 0;
        case effGetMidiProgramName:
            return getMidiProgramName(index, static_cast<MidiProgramName*>(ptr));
        case effGetCurrentMidiProgram:
            return getCurrentMidiProgram(index, static_cast<MidiProgramName*>(ptr));
        case effGetMidiProgramCategory:
            return getMidiProgramCategory(index, static_cast<MidiProgramCategory*>(ptr));
        case effHasMidiProgramsChanged: return hasMidiProgramsChanged(index) ? 1 : 0;
        case effGetMidiKeyName:
            return getMidiKeyName(index, static_cast<MidiKeyName*>(ptr)) ? 1 : 0;
        case effBeginSetProgram: return beginSetProgram() ? 1 : 0;
        case effEndSetProgram: return endSetProgram() ? 1 : 0;
        case effGetSpeakerArrangement:
            return getSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement**>(value),
                                         static_cast<VstSpeakerArrangement**>(ptr))
                       ? 1
                       : 0;
        case effShellGetNextPlugin: return shellGetNextPlugin(text);
        case effStartProcess: return startProcess();
        case effStopProcess: return stopProcess();
        case effSetTotalSampleToProcess:
            return setTotalSampleToProcess(static_cast<int32_t>(value));
        case effSetPanLaw: return setPanLaw(static_cast<int32_t>(value), opt) ? 1 : 0;
        case effBeginLoadBank: return beginLoadBank(static_cast<VstPatchChunkInfo*>(ptr));
        case effBeginLoadProgram: return beginLoadProgram(static_cast<VstPatchChunkInfo*>(ptr));
        default: return EffectBase::dispatcher(opcode, index, value, ptr, opt);
    }
}
