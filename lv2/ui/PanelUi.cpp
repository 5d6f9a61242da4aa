#include "lv2/ui/PanelUi.h"

#include <cstring>
#include <new>

#include "graphics/platform/Window.h"
#include "toolkit/Frame.h"

namespace {

const void* feature(const LV2_Feature* const* features, const char* uri) {
    if (!features) return nullptr;
    for (const LV2_Feature* const* f = features; *f; ++f)
        if ((*f)->URI && std::strcmp((*f)->URI, uri) == 0) return (*f)->data;
    return nullptr;
}

bool variantOf(const char* uri, PluginVariant* variant) {
    for (PluginVariant v : {PluginVariant::full, PluginVariant::mix}) {
        if (uri && std::strcmp(uri, pluginUri(v)) == 0) {
            *variant = v;
            return true;
        }
    }
    return false;
}

}  // namespace

PanelUi::PanelUi(PluginVariant variant, LV2UI_Write_Function write, LV2UI_Controller host,
                 const LV2UI_Touch* touch)
    : ports(variant, write, host, touch), panel(&ports) {
    ports.setPanel(&panel);
}

PanelUi::~PanelUi() { panel.close(); }

std::unique_ptr<PanelUi> PanelUi::open(const char* pluginUri, LV2UI_Write_Function write,
                                       LV2UI_Controller host,
                                       const LV2_Feature* const* features) {
    PluginVariant variant;
    void* parent = const_cast<void*>(feature(features, LV2_UI__parent));
    if (!variantOf(pluginUri, &variant) || !parent) return nullptr;
    const auto* touch = static_cast<const LV2UI_Touch*>(feature(features, LV2_UI__touch));
    std::unique_ptr<PanelUi> ui(new (std::nothrow) PanelUi(variant, write, host, touch));
    if (!ui || !ui->panel.open(parent) || !ui->widget()) return nullptr;
    const auto* resize = static_cast<const LV2UI_Resize*>(feature(features, LV2_UI__resize));
    const Rect& size = ui->panel.getRect();
    if (resize && resize->ui_resize) resize->ui_resize(resize->handle, size.width(), size.height());
    return ui;
}

uintptr_t PanelUi::widget() const {
    const Frame* frame = panel.getFrame();
    return frame ? platform::nativeWindowId(frame->getWindow()) : 0;
}

int PanelUi::idle() {
    panel.idle();
    return widget() ? 0 : 1;
}

void PanelUi::portEvent(uint32_t port, uint32_t bufferSize, uint32_t format,
                        const void* buffer) {
    const int32_t index = ports.portEvent(port, bufferSize, format, buffer);
    if (index >= 0) panel.parameterChanged(index, ports.parameterValue(index));
}
