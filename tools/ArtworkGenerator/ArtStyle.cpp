#include "ArtStyle.h"

#include "BinaryData.h"

namespace ArtStyle
{
juce::Font font (float height)
{
    return juce::Font (juce::Typeface::createSystemTypefaceFor (BinaryData::VELMORN_ttf, BinaryData::VELMORN_ttfSize)).withHeight (height);
}

void drawButtonFace (juce::Graphics& g, juce::Rectangle<float> area, bool on, float corner)
{
    const auto face = area.reduced (0.5f);
    g.setGradientFill (juce::ColourGradient (on ? pressedTop : faceTop, 0.0f, face.getY(), on ? pressedBottom : faceBottom, 0.0f, face.getBottom(), false));
    g.fillRoundedRectangle (face, corner);

    if (! on)
    {
        g.setColour (juce::Colours::white.withAlpha (0.08f));
        g.drawHorizontalLine ((int) face.getY() + 1, face.getX() + corner, face.getRight() - corner);
    }

    g.setColour (on ? accent : faceBorder);
    g.drawRoundedRectangle (face.reduced (0.5f), corner, 1.0f);
}

void drawField (juce::Graphics& g, juce::Rectangle<float> area, juce::Colour fill, juce::Colour border)
{
    g.setColour (fill);
    g.fillRoundedRectangle (area, 3.0f);
    g.setColour (border);
    g.drawRoundedRectangle (area.reduced (0.5f), 3.0f, 1.0f);
}

void drawArrow (juce::Graphics& g, juce::Rectangle<float> area, juce::Colour colour)
{
    const auto centre = area.getCentre();
    juce::Path arrow;
    arrow.addTriangle (centre.x - 4.5f, centre.y - 2.5f, centre.x + 4.5f, centre.y - 2.5f, centre.x, centre.y + 3.0f);
    g.setColour (colour);
    g.fillPath (arrow);
}
} // namespace ArtStyle
