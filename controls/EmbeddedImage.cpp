#include "controls/EmbeddedImage.h"

juce::Image loadEmbeddedImage (const void* data, int size)
{
    if (data == nullptr)
        return {};

    return juce::ImageCache::getFromMemory (data, size);
}
