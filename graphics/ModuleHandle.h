#pragma once
// The plug-in module's instance handle (HINSTANCE on Windows), stored by the library entry when
// the module is loaded. Window classes are registered for it and bitmaps are loaded from it.

extern void* moduleInstance;
