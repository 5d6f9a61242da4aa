#include "lv2/ui/PortController.h"

#include <cstring>

#include "editor/GuiEditorBase.h"
#include "lv2/PortUnits.h"

namespace {
const uint32_t kFloatFormat = 0;  // a control port's single float
}  // namespace

PortController::PortController(PluginVariant variant, LV2UI_Write_Function write,
                               LV2UI_Controller host, const LV2UI_Touch* touch)
    : variant(variant), write(write), host(host), touch(touch) {
    for (int32_t index = 0; index < kParameterCount; ++index) {
        const ParameterInfo* info = findParameter(index);
        values[index] = info ? info->defaultValue : 0.0f;
    }
    for (int32_t slot = 0; slot < kParameterSlots; ++slot) {
        written[slot] = 0.0f;
        hasWritten[slot] = false;
    }
}

int32_t PortController::portOf(int32_t index) const {
    if (!findParameter(index)) return -1;
    return controlPortIndex(variant, parameterSlot(index));
}

float PortController::parameterValue(int32_t index) {
    return findParameter(index) ? values[index] : 0.0f;
}

void PortController::setParameterByUser(int32_t index, float value) {
    const ParameterInfo* info = findParameter(index);
    if (!info || !isUsablePortValue(value)) return;
    const float x = value < 0.0f ? 0.0f : (value > 1.0f ? 1.0f : value);
    values[index] = x;
    const int32_t slot = parameterSlot(index);
    float portValue = normalisedToPortValue(*info, x);
    written[slot] = portValue;
    hasWritten[slot] = true;
    if (write)
        write(host, static_cast<uint32_t>(portOf(index)), sizeof portValue, kFloatFormat,
              &portValue);
    if (panel) panel->parameterChanged(index, x);
}

void PortController::beginGesture(int32_t index) {
    if (touch && touch->touch && findParameter(index))
        touch->touch(touch->handle, static_cast<uint32_t>(portOf(index)), true);
}

void PortController::endGesture(int32_t index) {
    if (touch && touch->touch && findParameter(index))
        touch->touch(touch->handle, static_cast<uint32_t>(portOf(index)), false);
}

void PortController::parameterText(int32_t index, char* text) {
    const ParameterInfo* info = findParameter(index);
    if (info && text) formatPanelText(info->text, values[index], text);
}

int32_t PortController::portEvent(uint32_t port, uint32_t bufferSize, uint32_t format,
                                  const void* buffer) {
    const int32_t slot = controlPortSlot(variant, port);
    if (slot < 0 || format != kFloatFormat || bufferSize != sizeof(float) || !buffer) return -1;
    float value;
    std::memcpy(&value, buffer, sizeof value);  // the host's buffer need not be aligned
    if (!isUsablePortValue(value)) return -1;
    const ParameterInfo& info = slotInfo(slot);
    if (!(hasWritten[slot] && value == written[slot])) {
        values[info.index] = portValueToNormalised(info, value);
        hasWritten[slot] = false;
    }
    return info.index;
}
