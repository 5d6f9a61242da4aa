#include "graphics/Color.h"

// Constant-initialised, so they hold their values before any constructor of the library runs.
const Color kBlackColor(0, 0, 0, 0);
const Color kWhiteColor(255, 255, 255, 0);
const Color kGreyColor(127, 127, 127, 0);
const Color kRedColor(255, 0, 0, 0);
const Color kGreenColor(0, 255, 0, 0);
const Color kBlueColor(0, 0, 255, 0);
const Color kYellowColor(255, 255, 0, 0);
const Color kMagentaColor(255, 0, 255, 0);
const Color kCyanColor(0, 255, 255, 0);
const Color kTransparentColor(255, 255, 255, 0);
