#include "PngFixture.h"

PngFixture::PngFixture (const juce::Image& image)
{
    juce::MemoryOutputStream out (bytes, false);
    juce::PNGImageFormat().writeImageToStream (image, out);
}

juce::Image PngFixture::solid (int width, int height, juce::Colour colour)
{
    juce::Image image (juce::Image::ARGB, width, height, false);
    image.clear (image.getBounds(), colour);
    return image;
}

juce::Image PngFixture::columnCoded (int width, int height)
{
    juce::Image image (juce::Image::ARGB, width, height, false);

    for (int x = 0; x < width; ++x)
        for (int y = 0; y < height; ++y)
            image.setPixelAt (x, y, juce::Colour ((juce::uint8) (x & 0xff), (juce::uint8) (x >> 8), (juce::uint8) 0x80, (juce::uint8) 0xff));

    return image;
}

int PngFixture::columnAt (const juce::Image& image, int x, int y)
{
    const auto pixel = image.getPixelAt (x, y);
    return pixel.getAlpha() == 0 ? -1 : pixel.getRed() + (pixel.getGreen() << 8);
}
