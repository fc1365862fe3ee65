#pragma once

#include "link/MicroPerformance.h"
#include "link/VelmorWire.h"

// The 88 keys of the instrument and the value range that the panel edits.
constexpr int KEY_COUNT = ST_MICROPERFORMANCE::keyCount;
constexpr int FIRST_KEY_NOTE = VelmorWire::firstKeyNote;
constexpr int KEY_VALUE_MIN = 14;
constexpr int KEY_VALUE_MAX = 114;
constexpr int KEY_VALUE_CENTRE = 64;
