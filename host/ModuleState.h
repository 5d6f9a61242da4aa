#pragma once
// The two process-wide variables of the plug-in module.

// The module's instance handle (HINSTANCE on Windows), stored by the library entry; the window
// class and the bitmap loader use it.
extern void* moduleInstance;

// Set when an effect could not allocate its editor; never cleared, so every later main() of
// this process answers null.
extern unsigned char outOfMemory;
