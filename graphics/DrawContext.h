#pragma once
// One occasion's drawing surface (a paint message, a click, an idle pass): wraps a platform
// device context, owns the pen, brush and font it creates, and answers mouse queries. The frame
// creates it before calling into the views and deletes it right after; it must not outlive the
// occasion, because the window origin it subtracts from the cursor is read once.

#include <cstdint>

#include "graphics/ButtonState.h"
#include "graphics/Color.h"
#include "graphics/Point.h"
#include "graphics/Rect.h"
#include "graphics/platform/Gdi.h"

// Process-wide: the system's mouse buttons are swapped (GetSystemMetrics(SM_SWAPBUTTON) > 0).
// The frame reads it when it registers its window class; getMouseButtons honours it.
extern bool buttonsSwapped;

class DrawContext {
public:
    // Either may be null. Without a device context the context only answers mouse
    // queries; without a window the mouse location stays in screen coordinates.
    DrawContext(platform::HDc deviceContext, platform::HWnd window);
    DrawContext(const DrawContext&) = delete;
    DrawContext& operator=(const DrawContext&) = delete;

    // Selects the device context's original objects back, then deletes the ones created here.
    virtual ~DrawContext();

    void moveTo(const Point& where);
    void lineTo(const Point& where);  // the end pixel itself is not painted
    void drawRect(const Rect& rect);  // outline on all four edges, right and bottom included
    void fillRect(const Rect& rect);  // strictly inside the outline drawRect paints

    void setFrameColor(const Color& color);
    void setFillColor(const Color& color);
    void setFontColor(const Color& color);
    // fontId 0..7 (others fall back to 0); size in pixels, 0 = the id's default; style bits:
    // 1 bold, 2 italic, 4 underline.
    void setFont(int32_t fontId, int32_t size = 0, int32_t style = 0);
    // alignment: 0 left (inset by one pixel), 1 centre, 2 right; one line, vertically centred.
    void drawString(const char* text, const Rect& rect, bool opaque = false, int32_t alignment = 0);

    ButtonState getMouseButtons();        // the state now, not at the start of the occasion
    void getMouseLocation(Point& where);  // cursor in window coordinates

    platform::HDc getDeviceContext() const { return deviceContext; }
    platform::HWnd getWindow() const { return window; }
    Point getWindowOrigin() const { return windowOrigin; }
    int32_t getFontSize() const { return fontSize; }
    int32_t getFontId() const { return fontId; }
    Color getFontColor() const { return fontColor; }
    Color getFrameColor() const { return frameColor; }
    Color getFillColor() const { return fillColor; }
    int32_t getPenWidth() const { return penWidth; }

private:
    Point windowOrigin;
    platform::HDc deviceContext;
    platform::HWnd window;
    int32_t fontSize = 0;
    int32_t fontId = 0;
    Color fontColor;
    Color frameColor;
    Color fillColor;
    int32_t penWidth = 1;
    platform::HPen pen = nullptr;
    platform::HBrush brush = nullptr;
    platform::HFont font = nullptr;
    platform::HGdiObj initialPen = nullptr;
    platform::HGdiObj initialBrush = nullptr;
    platform::HGdiObj initialFont = nullptr;
};
