#include "app/VelmorEditorApplication.h"

START_JUCE_APPLICATION (VelmorEditorApplication)
