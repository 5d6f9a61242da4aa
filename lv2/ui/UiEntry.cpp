// The UI binary's entry: one X11 UI serving both of the bundle's plug-ins, with the idle
// interface as its extension data.
#include <cstring>

#include <lv2/ui/ui.h>

#include "lv2/PortMap.h"
#include "lv2/ui/PanelUi.h"

namespace {

LV2UI_Handle instantiate(const LV2UI_Descriptor*, const char* pluginUri, const char*,
                         LV2UI_Write_Function write, LV2UI_Controller controller,
                         LV2UI_Widget* widget, const LV2_Feature* const* features) {
    std::unique_ptr<PanelUi> ui = PanelUi::open(pluginUri, write, controller, features);
    if (!ui) return nullptr;
    if (widget) *widget = reinterpret_cast<LV2UI_Widget>(ui->widget());
    return ui.release();
}

void cleanup(LV2UI_Handle handle) { delete static_cast<PanelUi*>(handle); }

void portEvent(LV2UI_Handle handle, uint32_t port, uint32_t bufferSize, uint32_t format,
               const void* buffer) {
    if (handle) static_cast<PanelUi*>(handle)->portEvent(port, bufferSize, format, buffer);
}

int idle(LV2UI_Handle handle) { return handle ? static_cast<PanelUi*>(handle)->idle() : 1; }

const LV2UI_Idle_Interface kIdleInterface = {idle};

const void* extensionData(const char* uri) {
    return uri && std::strcmp(uri, LV2_UI__idleInterface) == 0 ? &kIdleInterface : nullptr;
}

const LV2UI_Descriptor kDescriptor = {uiUri(), instantiate, cleanup, portEvent, extensionData};

}  // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}
