#pragma once
// One open LV2 UI: the vocoder's panel embedded in the host's window (ui:parent), its
// controller speaking through the control ports, the size told through ui:resize, and the
// window's events handled in the host's idle calls (ui:idleInterface).

#include <cstdint>
#include <memory>

#include <lv2/core/lv2.h>
#include <lv2/ui/ui.h>

#include "editor/VocoderEditor.h"
#include "lv2/ui/PortController.h"

class PanelUi {
public:
    // Null when the plug-in URI is none of the bundle's, the host gave no parent window, or no
    // window could be made in it (no X server, a window id that is not one).
    static std::unique_ptr<PanelUi> open(const char* pluginUri, LV2UI_Write_Function write,
                                         LV2UI_Controller host,
                                         const LV2_Feature* const* features);
    ~PanelUi();
    PanelUi(const PanelUi&) = delete;
    PanelUi& operator=(const PanelUi&) = delete;

    // The panel's own window, for the host (the UI's widget).
    uintptr_t widget() const;
    // The host's idle call: the window's events, then the redraw. Answers non-zero once the
    // panel has gone (its window destroyed or its connection lost): the host then closes it.
    int idle();
    void portEvent(uint32_t port, uint32_t bufferSize, uint32_t format, const void* buffer);

    VocoderEditor& editor() { return panel; }
    PortController& controller() { return ports; }

private:
    PanelUi(PluginVariant variant, LV2UI_Write_Function write, LV2UI_Controller host,
            const LV2UI_Touch* touch);

    PortController ports;
    VocoderEditor panel;
};
