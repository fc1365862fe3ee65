#pragma once

#include "app/KeyConstants.h"

// Fixed positions and item lists of the editor panel (1024 x 748 panel pixels).

constexpr int PANEL_WIDTH = 1024;
constexpr int PANEL_HEIGHT = 748;
// The bar across the top, with the connect toggle, the list and the file
// buttons; the mask leaves it reachable.
constexpr int PANEL_TOP_BAR_HEIGHT = 37;

// Sizes of controls that the panel's artwork is drawn for.
constexpr int PART_SLIDER_WIDTH = 224;
constexpr int PART_SLIDER_HEIGHT = 47;
constexpr int VALUE_LABEL_WIDTH = 37;
constexpr int VALUE_LABEL_HEIGHT = 21;
// The key view, as high as its editor; at zoom 1 it shows every key.
constexpr int KEY_VIEW_X = 27;
constexpr int KEY_VIEW_Y = 503;
constexpr int KEY_VIEW_WIDTH = 968;
constexpr int KEY_VIEW_HEIGHT = KeyView::editorHeight;

constexpr int PART_PARAM_COUNT = ST_MICROPERFORMANCE::paramCount;
constexpr int KEY_PARAM_COUNT = ST_MICROPERFORMANCE::trackCount;
constexpr int PIANO_MODEL_COUNT = 12;
constexpr int PIANO_ICON_COUNT = 15;
constexpr int GLOBAL_SCALE_COUNT = 7;

constexpr int KEY_PARAM_NAME_WIDTH = 24;
constexpr int PIANO_MODEL_NAME_WIDTH = 13;
constexpr int KEY_NAME_WIDTH = 4;

// Part parameter i: slider and value-label positions (x, y), and its per-key twin or -1.
extern const int PIANO_SLIDER_POS[PART_PARAM_COUNT][2];
extern const int PIANO_VALUE_POS[PART_PARAM_COUNT][2];
extern const int PIANO_SLIDER_TO_KCIRCLE[PART_PARAM_COUNT];

// Per-key parameter k: name, k-circle position (x, y) and its paired part parameter.
extern const char PIANO_KEYCB_ITEM_NAME[KEY_PARAM_COUNT][KEY_PARAM_NAME_WIDTH];
extern const int PIANO_KCIRCLE_POS[KEY_PARAM_COUNT][2];
extern const int PIANO_KCIRCLE_TO_SLIDER[KEY_PARAM_COUNT];

// Piano models in menu order; the id is the record's templateId (item id = id + 1).
extern const char PIANO_MODELCB_ITEM_NAME[PIANO_MODEL_COUNT][PIANO_MODEL_NAME_WIDTH];
extern const int PIANO_MODELCB_ITEM_ID[PIANO_MODEL_COUNT];

// Microperformance icons in menu order; the id is the record's iconId.
extern const int PIANO_ICONCB_ITEM_ID[PIANO_ICON_COUNT];
extern const char* const PIANO_ICONCB_ITEM_IMAGEDATA[PIANO_ICON_COUNT];
extern const int PIANO_ICONCB_ITEM_IMAGESIZE[PIANO_ICON_COUNT];

// Window scale factors in percent, largest first.
extern const int GLOBALSCALECB_ITEM[GLOBAL_SCALE_COUNT];

// Note names of the keys, indexed by key index (MIDI note - FIRST_KEY_NOTE).
extern const char PIANO_KEY_NAME[KEY_COUNT][KEY_NAME_WIDTH];
