#pragma once

#include <juce_graphics/juce_graphics.h>

// Decodes an embedded PNG through the image cache; null data gives a null image.
juce::Image loadEmbeddedImage (const void* data, int size);
