#include "graphics/DrawContext.h"

#include <cstring>

bool buttonsSwapped = false;

namespace {

struct FontTableEntry {
    const char* face;
    int32_t defaultSize;
};

const FontTableEntry kFontTable[8] = {
    {"Arial", 12},  // id 0 is always bold
    {"Arial", 18}, {"Arial", 14}, {"Arial", 12}, {"Arial", 11},
    {"Arial", 10}, {"Arial", 9},
    {"Symbol", 13},  // decorative family
};

}  // namespace

DrawContext::DrawContext(Frame* frame, gdi::HDc deviceContext, gdi::HWnd window)
    : deviceContext(deviceContext), window(window), frame(frame),
      fontColor(kWhiteColor), frameColor(kWhiteColor), fillColor(kBlackColor) {
    if (window) {
        gdi::RectRec bounds = {};
        if (gdi::GetWindowRect(window, &bounds)) windowOrigin = Point(bounds.left, bounds.top);
    }
    if (!deviceContext) return;

    initialBrush = gdi::GetCurrentObject(deviceContext, gdi::kObjBrush);
    initialPen = gdi::GetCurrentObject(deviceContext, gdi::kObjPen);
    initialFont = gdi::GetCurrentObject(deviceContext, gdi::kObjFont);

    gdi::SetBkMode(deviceContext, gdi::kTransparent);
    setFrameColor(kWhiteColor);
    setFillColor(kBlackColor);
    setFontColor(kWhiteColor);
    // No font yet: text uses whatever the device context holds until setFont.
}

DrawContext::~DrawContext() {
    if (deviceContext) {
        if (initialBrush) gdi::SelectObject(deviceContext, initialBrush);
        if (initialPen) gdi::SelectObject(deviceContext, initialPen);
        if (initialFont) gdi::SelectObject(deviceContext, initialFont);
    }
    if (brush) gdi::DeleteObject(brush);
    if (pen) gdi::DeleteObject(pen);
    if (font) gdi::DeleteObject(font);
}

void DrawContext::moveTo(const Point& where) {
    if (deviceContext) gdi::MoveToEx(deviceContext, where.x, where.y, nullptr);
}

void DrawContext::lineTo(const Point& where) {
    if (deviceContext) gdi::LineTo(deviceContext, where.x, where.y);
}

void DrawContext::drawRect(const Rect& rect) {
    // Lines leave out their end pixel, but each end pixel starts the next line, and the
    // closing line ends where the first began: all four edges are painted.
    moveTo(Point(rect.left, rect.top));
    lineTo(Point(rect.right, rect.top));
    lineTo(Point(rect.right, rect.bottom));
    lineTo(Point(rect.left, rect.bottom));
    lineTo(Point(rect.left, rect.top));
}

void DrawContext::fillRect(const Rect& rect) {
    if (!deviceContext) return;
    // FillRect already leaves out the right and bottom edges; the +1 on left and top keeps
    // the fill strictly inside the outline drawRect paints.
    gdi::HGdiObj previousPen =
        gdi::SelectObject(deviceContext, gdi::GetStockObject(gdi::kNullPen));
    gdi::RectRec area = {rect.left + 1, rect.top + 1, rect.right, rect.bottom};
    gdi::FillRect(deviceContext, &area, brush);
    gdi::SelectObject(deviceContext, previousPen);
}

void DrawContext::setFrameColor(const Color& color) {
    frameColor = color;
    if (!deviceContext) return;
    gdi::LogPenRec description = {gdi::kPsSolid, {penWidth, penWidth}, color.toColorRef()};
    gdi::HPen created = gdi::CreatePenIndirect(&description);
    // Without a new pen the old one stays: deleting it while selected would fail and leak it.
    if (!created) return;
    gdi::SelectObject(deviceContext, created);
    if (pen) gdi::DeleteObject(pen);
    pen = created;
}

void DrawContext::setFillColor(const Color& color) {
    fillColor = color;
    if (!deviceContext) return;
    gdi::SetBkColor(deviceContext, color.toColorRef());
    gdi::LogBrushRec description = {gdi::kBsSolid, color.toColorRef(), 0};
    gdi::HBrush created = gdi::CreateBrushIndirect(&description);
    if (!created) return;  // the previous brush stays selected
    gdi::SelectObject(deviceContext, created);
    if (brush) gdi::DeleteObject(brush);
    brush = created;
}

void DrawContext::setFontColor(const Color& color) {
    fontColor = color;
    if (deviceContext) gdi::SetTextColor(deviceContext, color.toColorRef());
}

void DrawContext::setFont(int32_t newFontId, int32_t size, int32_t style) {
    if (newFontId < 0 || newFontId > 7) newFontId = 0;
    fontId = newFontId;
    if (size == 0) size = kFontTable[fontId].defaultSize;
    fontSize = size;
    if (!deviceContext) return;

    gdi::LogFontRec description;
    std::memset(&description, 0, sizeof description);
    description.lfHeight = -size;  // character height, not cell height
    description.lfWeight = (style & 1) ? gdi::kFwBold : gdi::kFwNormal;
    description.lfItalic = (style & 2) ? 1 : 0;
    description.lfUnderline = (style & 4) ? 1 : 0;
    std::strncpy(description.lfFaceName, kFontTable[fontId].face,
                 sizeof description.lfFaceName - 1);
    description.lfPitchAndFamily = gdi::kVariablePitch | gdi::kFfSwiss;
    if (fontId == 7) description.lfPitchAndFamily = gdi::kFfDecorative;
    if (fontId == 0) description.lfWeight = gdi::kFwBold;
    description.lfClipPrecision = gdi::kClipStrokePrecis;
    description.lfOutPrecision = gdi::kOutStringPrecis;
    description.lfQuality = gdi::kDefaultQuality;
    description.lfCharSet = gdi::kAnsiCharset;

    gdi::HFont created = gdi::CreateFontIndirectA(&description);
    if (!created) return;  // keep the previous font, as for pens and brushes
    gdi::SelectObject(deviceContext, created);
    if (font) gdi::DeleteObject(font);
    font = created;
}

void DrawContext::drawString(const char* text, const Rect& rect, bool opaque,
                             int32_t alignment) {
    if (!text || !deviceContext) return;
    // Opaque cells are backed with the background colour that setFillColor installed.
    gdi::SetBkMode(deviceContext, opaque ? gdi::kOpaque : gdi::kTransparent);
    gdi::RectRec area = {rect.left, rect.top, rect.right, rect.bottom};
    const uint32_t common = gdi::kDtVCenter | gdi::kDtSingleLine | gdi::kDtNoPrefix;
    uint32_t format;
    if (alignment == 1) {
        format = gdi::kDtCenter | common;
    } else if (alignment == 2) {
        format = gdi::kDtRight | common;
    } else {
        format = gdi::kDtLeft | common;
        area.left += 1;  // left-aligned text keeps one pixel off the edge
    }
    gdi::DrawTextA(deviceContext, text, int(std::strlen(text)), &area, format);
    gdi::SetBkMode(deviceContext, gdi::kTransparent);
}

ButtonState DrawContext::getMouseButtons() {
    ButtonState state = 0;
    const ButtonState physicalLeft = buttonsSwapped ? kRButton : kLButton;
    const ButtonState physicalRight = buttonsSwapped ? kLButton : kRButton;
    if (gdi::GetAsyncKeyState(gdi::kVkLButton) < 0) state |= physicalLeft;
    if (gdi::GetAsyncKeyState(gdi::kVkMButton) < 0) state |= kMButton;
    if (gdi::GetAsyncKeyState(gdi::kVkRButton) < 0) state |= physicalRight;
    if (gdi::GetAsyncKeyState(gdi::kVkShift) < 0) state |= kShift;
    if (gdi::GetAsyncKeyState(gdi::kVkControl) < 0) state |= kControl;
    if (gdi::GetAsyncKeyState(gdi::kVkMenu) < 0) state |= kAlt;
    return state;
}

void DrawContext::getMouseLocation(Point& where) {
    gdi::PointRec cursor = {0, 0};
    gdi::GetCursorPos(&cursor);
    where = Point(cursor.x - windowOrigin.x, cursor.y - windowOrigin.y);
}
