#pragma once

#include "controls/KeyView.h"
#include "link/MicroPerformance.h"
#include "link/VelmorWire.h"

// The 88 keys of the instrument, as the record holds them, and the value
// range that the panel edits, which is the key view's.
constexpr int KEY_COUNT = ST_MICROPERFORMANCE::keyCount;
constexpr int FIRST_KEY_NOTE = VelmorWire::firstKeyNote;
constexpr int KEY_VALUE_MIN = KeyView::valueMin;
constexpr int KEY_VALUE_MAX = KeyView::valueMax;
constexpr int KEY_VALUE_CENTRE = KeyView::valueCentre;
