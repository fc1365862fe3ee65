#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The one palette and face of the panel's artwork.
namespace ArtStyle
{
const juce::Colour panelTop { 0xff22242a };
const juce::Colour panelBottom { 0xff15161a };
const juce::Colour topBar { 0xff0e0f12 };
const juce::Colour groupFill { 0xff1b1d22 };
const juce::Colour groupBorder { 0xff33363e };
const juce::Colour fieldFill { 0xff0b0c0f };
const juce::Colour fieldBorder { 0xff40444d };
const juce::Colour lightField { 0xffd9d4c9 };
const juce::Colour lightFieldBorder { 0xff8c877c };
const juce::Colour caption { 0xffc9ccd3 };
const juce::Colour dimCaption { 0xff8a8e97 };
const juce::Colour accent { 0xffe0a050 };
const juce::Colour accentDark { 0xff997b3f };
const juce::Colour faceTop { 0xff353841 };
const juce::Colour faceBottom { 0xff22242a };
const juce::Colour faceBorder { 0xff4b4f59 };
const juce::Colour glyph { 0xffc4c8d0 };
const juce::Colour glyphOn { 0xffffc677 };
const juce::Colour pressedTop { 0xff4a3518 };
const juce::Colour pressedBottom { 0xff2c2013 };

// The embedded narrow face at the given height.
juce::Font font (float height);

// A raised button face; pressed faces glow in the accent colour.
void drawButtonFace (juce::Graphics& g, juce::Rectangle<float> area, bool on, float corner);

// A sunken field, as behind read-outs and lists.
void drawField (juce::Graphics& g, juce::Rectangle<float> area, juce::Colour fill, juce::Colour border);

// The drop-down arrow of a list, pointing down, centred in the area.
void drawArrow (juce::Graphics& g, juce::Rectangle<float> area, juce::Colour colour);
} // namespace ArtStyle
