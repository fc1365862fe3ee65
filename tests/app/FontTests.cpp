#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "BinaryData.h"

TEST (PanelFont, LoadsFromTheEmbeddedDataAndDrawsText)
{
    auto typeface = juce::Typeface::createSystemTypefaceFor (BinaryData::VELMORN_ttf, BinaryData::VELMORN_ttfSize);
    ASSERT_NE (typeface, nullptr);

    juce::Font font (typeface);
    font.setHeight (20.0f);
    EXPECT_GT (font.getStringWidthFloat ("Hammer Hardness"), 0.0f);

    juce::Image image (juce::Image::ARGB, 200, 40, true);
    {
        juce::Graphics g (image);
        g.setColour (juce::Colours::white);
        g.setFont (font);
        g.drawText ("Velmor", image.getBounds(), juce::Justification::centred);
    }

    int lit = 0;
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            lit += image.getPixelAt (x, y).getAlpha() > 128 ? 1 : 0;

    EXPECT_GT (lit, 50);
}
