#include "toolkit/ValueDisplay.h"

#include <cstdio>

#include "graphics/Bitmap.h"
#include "graphics/DrawContext.h"

ValueDisplay::ValueDisplay(const Rect& rect, Bitmap* bitmap, int32_t displayStyle)
    : Control(rect, nullptr, 0, bitmap),
      valueToText(nullptr),
      valueToTextWithData(nullptr),
      spareConverter(nullptr),
      userData(nullptr),
      horizontalAlignment(1),
      style(displayStyle),
      fontId(3),
      textStyle(0),
      fontColor(kWhiteColor),
      backColor(kBlackColor),
      frameColor(kBlackColor),
      shadowColor(kRedColor),
      textTransparency(true) {
    backgroundOffset = Point(0, 0);
    if (style & kNoDrawStyle) setDirty(false);
}

ValueDisplay::~ValueDisplay() = default;

void ValueDisplay::formatValue(char* text) const {
    text[0] = '\0';
    if (valueToTextWithData)
        valueToTextWithData(value, text, userData);
    else if (valueToText)
        valueToText(value, text);
    else
        std::snprintf(text, kTextBufferSize, "%2.2f", value);
}

void ValueDisplay::draw(DrawContext* context) {
    char text[kTextBufferSize] = {0};
    formatValue(text);
    drawText(context, text, nullptr);
}

void ValueDisplay::drawText(DrawContext* context, const char* text, Bitmap* bitmap) {
    setDirty(false);
    if (style & kNoDrawStyle) return;
    if (!context) return;

    Bitmap* picture = bitmap ? bitmap : background;
    if (picture) {
        if (transparencyEnabled)
            picture->drawTransparent(context, size, backgroundOffset);
        else
            picture->draw(context, size, backgroundOffset);
    } else if (!transparencyEnabled) {
        context->setFillColor(backColor);
        context->fillRect(size);
        if (!(style & (k3DIn | k3DOut))) {
            context->setFrameColor(frameColor);
            context->drawRect(size);
        }
    }

    if (style & (k3DIn | k3DOut)) {
        const bool sunken = (style & k3DIn) != 0;
        context->setFrameColor(sunken ? backColor : frameColor);
        context->moveTo(Point(size.left, size.bottom));
        context->lineTo(Point(size.left, size.top));
        context->lineTo(Point(size.right + 1, size.top));
        context->setFrameColor(sunken ? frameColor : backColor);
        context->moveTo(Point(size.right, size.top + 1));
        context->lineTo(Point(size.right, size.bottom));
        context->lineTo(Point(size.left, size.bottom));
    }

    if ((style & kNoTextStyle) || !text || text[0] == '\0') return;
    context->setFont(fontId, 0, textStyle);
    if (style & kShadowText) {
        Rect shadowed = size;
        shadowed.offset(1, 1);
        context->setFontColor(shadowColor);
        context->drawString(text, shadowed, !textTransparency, horizontalAlignment);
    }
    context->setFontColor(fontColor);
    context->drawString(text, size, !textTransparency, horizontalAlignment);
}

void ValueDisplay::storeColor(Color& field, const Color& color) {
    if (!field.sameRgb(color)) setDirty(true);
    field = color;
}

void ValueDisplay::setFont(int32_t newFont) {
    if (fontId != newFont) setDirty(true);
    fontId = newFont;
}

void ValueDisplay::setFontColor(const Color& color) { storeColor(fontColor, color); }
void ValueDisplay::setBackColor(const Color& color) { storeColor(backColor, color); }
void ValueDisplay::setFrameColor(const Color& color) { storeColor(frameColor, color); }
void ValueDisplay::setShadowColor(const Color& color) { storeColor(shadowColor, color); }

void ValueDisplay::setTextAlign(int32_t alignment) {
    if (horizontalAlignment != alignment) setDirty(true);
    horizontalAlignment = alignment;
}

void ValueDisplay::setValueToTextWithData(ValueToTextWithDataFunction function, void* data) {
    valueToTextWithData = function;
    userData = data;
}

void ValueDisplay::setValueToText(ValueToTextFunction function) { valueToText = function; }

void ValueDisplay::setSpareConverter(SpareConverterFunction function) { spareConverter = function; }

void ValueDisplay::setStyle(int32_t newStyle) {
    if (style == newStyle) return;
    style = newStyle;
    setDirty(true);
}

void ValueDisplay::setTextStyle(int32_t newTextStyle) {
    if (textStyle != newTextStyle) setDirty(true);
    textStyle = newTextStyle;
}

void ValueDisplay::setTextTransparency(bool state) { textTransparency = state; }
