// Run control: the main loop's stop flag. The window, the screen size and the show's
// length are platform/display.h's.
#pragma once
#include <cstdint>
#include "platform/display.h"

extern int32_t stopFlag;              // non-zero ends the main loop
