#pragma once

#include "common/PianoKeys.h"

// The 88 keys of the instrument and the value range that the panel edits.
constexpr int KEY_COUNT = PianoKeys::keyCount;
constexpr int FIRST_KEY_NOTE = PianoKeys::firstKeyNote; // MIDI note of key index 0 (A0)
constexpr int KEY_VALUE_MIN = 14;
constexpr int KEY_VALUE_MAX = 114;
constexpr int KEY_VALUE_CENTRE = 64;
