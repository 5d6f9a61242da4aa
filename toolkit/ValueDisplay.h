#pragma once
// A control that shows its value as one line of text over a filled or bitmap background,
// optionally framed, with a 3D border or a drop shadow. The owner installs the value-to-text
// function; without one the value is printed with two decimals. Mouse, wheel and keys are
// ignored.

#include <cstdint>

#include "graphics/Color.h"
#include "toolkit/Control.h"

// Fill text (a 256-byte buffer: at most 255 characters and the terminator) for a value.
typedef void (*ValueToTextFunction)(float value, char* text);
typedef void (*ValueToTextWithDataFunction)(float value, char* text, void* userData);
typedef void (*SpareConverterFunction)(char* text, float& value, void* userData);

class ValueDisplay : public Control {
public:
    // Style bits.
    static const int32_t kShadowText = 0x4;
    static const int32_t k3DIn = 0x80;
    static const int32_t k3DOut = 0x100;
    static const int32_t kNoTextStyle = 0x800;
    static const int32_t kNoDrawStyle = 0x1000;

    static const int32_t kTextBufferSize = 256;

    ValueDisplay(const Rect& size, Bitmap* background, int32_t style);
    ~ValueDisplay() override;

    void draw(DrawContext* context) override;

    // Appended operations, in slot order.
    virtual void setFont(int32_t fontId);
    virtual void setFontColor(const Color& color);
    virtual void setBackColor(const Color& color);
    virtual void setFrameColor(const Color& color);
    virtual void setShadowColor(const Color& color);
    virtual void setTextAlign(int32_t alignment);
    virtual void setValueToTextWithData(ValueToTextWithDataFunction function, void* userData);
    virtual void setValueToText(ValueToTextFunction function);
    virtual void setSpareConverter(SpareConverterFunction function);
    virtual void setStyle(int32_t style);
    virtual void setTextStyle(int32_t textStyle);
    virtual void setTextTransparency(bool state);

    // The text draw would show for the current value.
    void formatValue(char* text) const;
    int32_t getStyle() const { return style; }
    int32_t getFont() const { return fontId; }
    int32_t getTextStyle() const { return textStyle; }
    Color getFontColor() const { return fontColor; }
    Color getBackColor() const { return backColor; }
    Color getFrameColor() const { return frameColor; }
    Color getShadowColor() const { return shadowColor; }

protected:
    // Background, border and text; a given bitmap replaces the control's own background.
    void drawText(DrawContext* context, const char* text, Bitmap* bitmap);
    // Marks dirty when red, green or blue differ, then stores all four bytes.
    void storeColor(Color& field, const Color& color);

    ValueToTextFunction valueToText;
    ValueToTextWithDataFunction valueToTextWithData;
    SpareConverterFunction spareConverter;
    void* userData;
    int32_t horizontalAlignment;
    int32_t style;
    int32_t fontId;
    int32_t textStyle;
    Color fontColor;
    Color backColor;
    Color frameColor;
    Color shadowColor;
    bool textTransparency;
};
