#pragma once

#include <juce_graphics/juce_graphics.h>

// A PNG made in memory for a test. The image cache keys images by the address of
// their data, so a fixture must live as long as the process: keep each one static.
class PngFixture
{
public:
    explicit PngFixture (const juce::Image& image);

    const void* data() const { return bytes.getData(); }
    int size() const { return (int) bytes.getSize(); }

    static juce::Image solid (int width, int height, juce::Colour colour);

    // Every pixel of column c carries c in its red (low byte) and green (high byte).
    static juce::Image columnCoded (int width, int height);
    static int columnAt (const juce::Image& image, int x, int y);

private:
    juce::MemoryBlock bytes;
};
