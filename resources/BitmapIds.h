#pragma once
// The resource numbers of the three bitmaps: the Windows resource script, the native build's
// embedded copies and the editor all take them from here. Plain defines, so that the resource
// compiler and CMake can read them too.

#define OSTRAQUELLE_BITMAP_PANEL 128
#define OSTRAQUELLE_BITMAP_KNOB_STRIP 129
#define OSTRAQUELLE_BITMAP_SWITCH 130
