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
    {"Arial", 18}, {"Arial", 14}, {"Arial", 12},  {"Arial", 11},
    {"Arial", 10}, {"Arial", 9},  {"Symbol", 13},  // decorative family
};

}  // namespace

DrawContext::DrawContext(platform::HDc deviceContext, platform::HWnd window)
    : deviceContext(deviceContext),
      window(window),
      fontColor(kWhiteColor),
      frameColor(kWhiteColor),
      fillColor(kBlackColor) {
    if (window) {
        platform::RectRec bounds = {};
        if (platform::GetWindowRect(window, &bounds)) windowOrigin = Point(bounds.left, bounds.top);
    }
    if (!deviceContext) return;

    initialBrush = platform::GetCurrentObject(deviceContext, platform::kObjBrush);
    initialPen = platform::GetCurrentObject(deviceContext, platform::kObjPen);
    initialFont = platform::GetCurrentObject(deviceContext, platform::kObjFont);

    platform::SetBkMode(deviceContext, platform::kTransparent);
    setFrameColor(kWhiteColor);
    setFillColor(kBlackColor);
    setFontColor(kWhiteColor);
    // No font yet: text uses whatever the device context holds until setFont.
}

DrawContext::~DrawContext() {
    if (deviceContext) {
        if (initialBrush) platform::SelectObject(deviceContext, initialBrush);
        if (initialPen) platform::SelectObject(deviceContext, initialPen);
        if (initialFont) platform::SelectObject(deviceContext, initialFont);
    }
    if (brush) platform::DeleteObject(brush);
    if (pen) platform::DeleteObject(pen);
    if (font) platform::DeleteObject(font);
}

void DrawContext::moveTo(const Point& where) {
    if (deviceContext) platform::MoveToEx(deviceContext, where.x, where.y, nullptr);
}

void DrawContext::lineTo(const Point& where) {
    if (deviceContext) platform::LineTo(deviceContext, where.x, where.y);
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
    platform::HGdiObj previousPen =
        platform::SelectObject(deviceContext, platform::GetStockObject(platform::kNullPen));
    platform::RectRec area = {rect.left + 1, rect.top + 1, rect.right, rect.bottom};
    platform::FillRect(deviceContext, &area, brush);
    platform::SelectObject(deviceContext, previousPen);
}

void DrawContext::setFrameColor(const Color& color) {
    frameColor = color;
    if (!deviceContext) return;
    platform::LogPenRec description = {
        platform::kPsSolid, {penWidth, penWidth}, color.toColorRef()};
    platform::HPen created = platform::CreatePenIndirect(&description);
    // Without a new pen the old one stays: deleting it while selected would fail and leak it.
    if (!created) return;
    platform::SelectObject(deviceContext, created);
    if (pen) platform::DeleteObject(pen);
    pen = created;
}

void DrawContext::setFillColor(const Color& color) {
    fillColor = color;
    if (!deviceContext) return;
    platform::SetBkColor(deviceContext, color.toColorRef());
    platform::LogBrushRec description = {platform::kBsSolid, color.toColorRef(), 0};
    platform::HBrush created = platform::CreateBrushIndirect(&description);
    if (!created) return;  // the previous brush stays selected
    platform::SelectObject(deviceContext, created);
    if (brush) platform::DeleteObject(brush);
    brush = created;
}

void DrawContext::setFontColor(const Color& color) {
    fontColor = color;
    if (deviceContext) platform::SetTextColor(deviceContext, color.toColorRef());
}

void DrawContext::setFont(int32_t newFontId, int32_t size, int32_t style) {
    if (newFontId < 0 || newFontId > 7) newFontId = 0;
    fontId = newFontId;
    if (size == 0) size = kFontTable[fontId].defaultSize;
    fontSize = size;
    if (!deviceContext) return;

    platform::LogFontRec description;
    std::memset(&description, 0, sizeof description);
    description.lfHeight = -size;  // character height, not cell height
    description.lfWeight = (style & 1) ? platform::kFwBold : platform::kFwNormal;
    description.lfItalic = (style & 2) ? 1 : 0;
    description.lfUnderline = (style & 4) ? 1 : 0;
    std::strncpy(description.lfFaceName, kFontTable[fontId].face,
                 sizeof description.lfFaceName - 1);
    description.lfPitchAndFamily = platform::kVariablePitch | platform::kFfSwiss;
    if (fontId == 7) description.lfPitchAndFamily = platform::kFfDecorative;
    if (fontId == 0) description.lfWeight = platform::kFwBold;
    description.lfClipPrecision = platform::kClipStrokePrecis;
    description.lfOutPrecision = platform::kOutStringPrecis;
    description.lfQuality = platform::kDefaultQuality;
    description.lfCharSet = platform::kAnsiCharset;

    platform::HFont created = platform::CreateFontIndirectA(&description);
    if (!created) return;  // keep the previous font, as for pens and brushes
    platform::SelectObject(deviceContext, created);
    if (font) platform::DeleteObject(font);
    font = created;
}

void DrawContext::drawString(const char* text, const Rect& rect, bool opaque, int32_t alignment) {
    if (!text || !deviceContext) return;
    // Opaque cells are backed with the background colour that setFillColor installed.
    platform::SetBkMode(deviceContext, opaque ? platform::kOpaque : platform::kTransparent);
    platform::RectRec area = {rect.left, rect.top, rect.right, rect.bottom};
    const uint32_t common = platform::kDtVCenter | platform::kDtSingleLine | platform::kDtNoPrefix;
    uint32_t format;
    if (alignment == 1) {
        format = platform::kDtCenter | common;
    } else if (alignment == 2) {
        format = platform::kDtRight | common;
    } else {
        format = platform::kDtLeft | common;
        area.left += 1;  // left-aligned text keeps one pixel off the edge
    }
    platform::DrawTextA(deviceContext, text, int(std::strlen(text)), &area, format);
    platform::SetBkMode(deviceContext, platform::kTransparent);
}

ButtonState DrawContext::getMouseButtons() {
    ButtonState state = 0;
    const ButtonState physicalLeft = buttonsSwapped ? kRButton : kLButton;
    const ButtonState physicalRight = buttonsSwapped ? kLButton : kRButton;
    if (platform::GetAsyncKeyState(platform::kVkLButton) < 0) state |= physicalLeft;
    if (platform::GetAsyncKeyState(platform::kVkMButton) < 0) state |= kMButton;
    if (platform::GetAsyncKeyState(platform::kVkRButton) < 0) state |= physicalRight;
    if (platform::GetAsyncKeyState(platform::kVkShift) < 0) state |= kShift;
    if (platform::GetAsyncKeyState(platform::kVkControl) < 0) state |= kControl;
    if (platform::GetAsyncKeyState(platform::kVkMenu) < 0) state |= kAlt;
    return state;
}

void DrawContext::getMouseLocation(Point& where) {
    platform::PointRec cursor = {0, 0};
    platform::GetCursorPos(&cursor);
    where = Point(cursor.x - windowOrigin.x, cursor.y - windowOrigin.y);
}
