#pragma once
// The process-wide state of the plug-in interface.

// Set when an effect could not allocate what it cannot work without (its program table or its
// editor); never cleared, so every later main() of this process answers null.
extern unsigned char outOfMemory;
