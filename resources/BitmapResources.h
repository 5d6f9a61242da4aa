#pragma once

#include <cstddef>

// The native build has no resource section: the bitmaps 128 (panel), 129 (knob strip) and
// 130 (switch) are compiled into the library as the complete bytes of their .bmp files,
// so that loading a bitmap by its number works the same way as on Windows.
//
// Answers true and the file's bytes for a known id; false (and leaves the outputs alone)
// for any other id or a null output pointer.
bool findBitmapResource(int id, const unsigned char** data, size_t* size);
