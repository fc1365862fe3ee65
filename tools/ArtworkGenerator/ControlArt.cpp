#include "ControlArt.h"

#include "ArtStyle.h"
#include "app/PanelTables.h"

namespace
{
constexpr int keyBarWidth = 213;
constexpr int keyBarHeight = 28;

juce::Colour glyphColour (bool on)
{
    return on ? ArtStyle::glyphOn : ArtStyle::glyph;
}

void drawText (juce::Graphics& g, const juce::String& text, juce::Rectangle<float> area, float height, bool on)
{
    g.setColour (glyphColour (on));
    g.setFont (ArtStyle::font (height).withExtraKerningFactor (0.06f));
    g.drawText (text, area.toNearestInt(), juce::Justification::centred);
}

void drawConnect (juce::Graphics& g, juce::Rectangle<float> area, bool on)
{
    const auto led = juce::Rectangle<float> (10.0f, 0.0f, 10.0f, 10.0f).withCentre ({ area.getX() + 16.0f, area.getCentreY() });
    if (on)
    {
        g.setColour (juce::Colour (0x5540ff70));
        g.fillEllipse (led.expanded (4.0f));
    }
    g.setColour (on ? juce::Colour (0xff4dff7c) : juce::Colour (0xff3a3d44));
    g.fillEllipse (led);
    g.setColour (juce::Colours::black.withAlpha (0.6f));
    g.drawEllipse (led, 1.0f);

    drawText (g, "CONNECT", area.withTrimmedLeft (26.0f).withTrimmedRight (6.0f), 17.0f, on);
}

void drawFolder (juce::Graphics& g, juce::Rectangle<float> area, bool on)
{
    const auto c = area.getCentre();
    juce::Path folder;
    folder.startNewSubPath (c.x - 10.0f, c.y - 7.0f);
    folder.lineTo (c.x - 4.0f, c.y - 7.0f);
    folder.lineTo (c.x - 2.0f, c.y - 5.0f);
    folder.lineTo (c.x + 10.0f, c.y - 5.0f);
    folder.lineTo (c.x + 10.0f, c.y + 8.0f);
    folder.lineTo (c.x - 10.0f, c.y + 8.0f);
    folder.closeSubPath();
    g.setColour (glyphColour (on));
    g.strokePath (folder, juce::PathStrokeType (1.6f));
    g.drawLine (c.x - 10.0f, c.y - 1.0f, c.x + 10.0f, c.y - 1.0f, 1.2f);
}

void drawDisk (juce::Graphics& g, juce::Rectangle<float> area, bool on)
{
    const auto body = juce::Rectangle<float> (20.0f, 20.0f).withCentre (area.getCentre());
    g.setColour (glyphColour (on));
    g.drawRoundedRectangle (body, 2.0f, 1.6f);
    g.fillRect (body.getX() + 5.0f, body.getY() + 1.0f, 10.0f, 6.0f);
    g.drawRect (body.getX() + 4.0f, body.getY() + 11.0f, 12.0f, 8.0f, 1.2f);
}

void drawVerticalArrow (juce::Graphics& g, juce::Point<float> tip, bool up, float size)
{
    const float dir = up ? 1.0f : -1.0f;
    juce::Path arrow;
    arrow.addTriangle (tip.x, tip.y, tip.x - size, tip.y + dir * size, tip.x + size, tip.y + dir * size);
    g.fillPath (arrow);
}

void drawScale (juce::Graphics& g, juce::Rectangle<float> area, bool up, bool on)
{
    // Arrows apart for a larger spread of values, together for a smaller one.
    const auto c = area.getCentre();
    g.setColour (glyphColour (on));
    g.fillRect (c.x - 9.0f, c.y - 0.75f, 18.0f, 1.5f);
    if (up)
    {
        drawVerticalArrow (g, { c.x, c.y - 11.0f }, true, 5.0f);
        drawVerticalArrow (g, { c.x, c.y + 11.0f }, false, 5.0f);
    }
    else
    {
        drawVerticalArrow (g, { c.x, c.y - 2.5f }, false, 5.0f);
        drawVerticalArrow (g, { c.x, c.y + 2.5f }, true, 5.0f);
    }
}

void drawMove (juce::Graphics& g, juce::Rectangle<float> area, bool up, bool on)
{
    const auto c = area.getCentre();
    g.setColour (glyphColour (on));
    drawVerticalArrow (g, { c.x, up ? c.y - 8.0f : c.y + 8.0f }, up, 7.0f);
    g.fillRect (c.x - 2.0f, up ? c.y - 1.0f : c.y - 8.0f, 4.0f, 9.0f);
}

void drawNote (juce::Graphics& g, juce::Rectangle<float> area, bool on)
{
    const auto c = area.getCentre();
    g.setColour (glyphColour (on));
    g.fillEllipse (c.x - 7.0f, c.y + 3.0f, 8.0f, 6.0f);
    g.fillRect (c.x - 0.5f, c.y - 9.0f, 1.6f, 15.0f);
    juce::Path flag;
    flag.startNewSubPath (c.x + 1.0f, c.y - 9.0f);
    flag.quadraticTo (c.x + 3.0f, c.y - 3.0f, c.x + 7.0f, c.y - 2.0f);
    g.strokePath (flag, juce::PathStrokeType (1.6f));
}

void drawMagnifier (juce::Graphics& g, juce::Rectangle<float> area, bool plus, bool on)
{
    const auto c = area.getCentre().translated (-2.0f, -2.0f);
    g.setColour (glyphColour (on));
    g.drawEllipse (c.x - 6.0f, c.y - 6.0f, 12.0f, 12.0f, 1.6f);
    g.drawLine (c.x + 4.5f, c.y + 4.5f, c.x + 9.0f, c.y + 9.0f, 2.4f);
    g.fillRect (c.x - 3.5f, c.y - 0.75f, 7.0f, 1.5f);
    if (plus)
        g.fillRect (c.x - 0.75f, c.y - 3.5f, 1.5f, 7.0f);
}

void drawGlyph (juce::Graphics& g, ControlArt::Glyph glyph, juce::Rectangle<float> area, bool on)
{
    using Glyph = ControlArt::Glyph;
    switch (glyph)
    {
        case Glyph::connect:
            drawConnect (g, area, on);
            break;
        case Glyph::open:
            drawFolder (g, area, on);
            break;
        case Glyph::save:
            drawDisk (g, area, on);
            break;
        case Glyph::reset:
            drawText (g, "RESET", area, 17.0f, on);
            break;
        case Glyph::random:
            drawText (g, "RANDOM", area, 17.0f, on);
            break;
        case Glyph::scaleDown:
        case Glyph::scaleUp:
            drawScale (g, area, glyph == Glyph::scaleUp, on);
            break;
        case Glyph::moveDown:
        case Glyph::moveUp:
            drawMove (g, area, glyph == Glyph::moveUp, on);
            break;
        case Glyph::note:
            drawNote (g, area, on);
            break;
        case Glyph::zoomIn:
        case Glyph::zoomOut:
            drawMagnifier (g, area, glyph == Glyph::zoomIn, on);
            break;
    }
}

// The outlines of the piano icons: grand seen from above, upright, keyboard,
// hammer on a string, and a soundboard with its strings.
void drawIconShape (juce::Graphics& g, int shape, juce::Rectangle<float> area, juce::Colour ink)
{
    const auto c = area.getCentre();
    g.setColour (ink);
    switch (shape)
    {
        case 0:
        {
            // A grand seen from above: straight bass side, curved treble side, keys at the front.
            juce::Path grand;
            grand.startNewSubPath (c.x - 20.0f, c.y + 16.0f);
            grand.lineTo (c.x - 20.0f, c.y - 18.0f);
            grand.quadraticTo (c.x - 20.0f, c.y - 27.0f, c.x - 11.0f, c.y - 27.0f);
            grand.lineTo (c.x - 6.0f, c.y - 27.0f);
            grand.quadraticTo (c.x + 2.0f, c.y - 27.0f, c.x + 4.0f, c.y - 16.0f);
            grand.cubicTo (c.x + 6.0f, c.y - 4.0f, c.x + 20.0f, c.y - 4.0f, c.x + 20.0f, c.y + 8.0f);
            grand.lineTo (c.x + 20.0f, c.y + 16.0f);
            grand.closeSubPath();
            g.fillPath (grand);
            g.setColour (ink.contrasting (0.7f));
            g.fillRect (c.x - 20.0f, c.y + 17.0f, 40.0f, 9.0f);
            g.setColour (ink);
            for (int k = 0; k < 8; ++k)
                g.fillRect (c.x - 19.5f + (float) k * 5.0f, c.y + 18.0f, 4.0f, 7.0f);
            break;
        }
        case 1:
        {
            g.fillRoundedRectangle (c.x - 22.0f, c.y - 24.0f, 44.0f, 40.0f, 3.0f);
            g.fillRect (c.x - 20.0f, c.y + 16.0f, 4.0f, 10.0f);
            g.fillRect (c.x + 16.0f, c.y + 16.0f, 4.0f, 10.0f);
            g.setColour (ink.contrasting (0.7f));
            g.fillRect (c.x - 19.0f, c.y + 2.0f, 38.0f, 8.0f);
            g.setColour (ink);
            for (int k = 1; k < 8; ++k)
                g.fillRect (c.x - 19.0f + (float) k * 4.75f, c.y + 2.0f, 0.8f, 8.0f);
            break;
        }
        case 2:
        {
            const auto keys = juce::Rectangle<float> (52.0f, 30.0f).withCentre (c);
            g.fillRoundedRectangle (keys.expanded (3.0f), 3.0f);
            g.setColour (ink.contrasting (0.8f));
            for (int k = 0; k < 8; ++k)
                g.fillRect (keys.getX() + (float) k * 6.5f + 0.5f, keys.getY(), 5.5f, keys.getHeight());
            g.setColour (ink);
            static const bool black[7] = { true, true, false, true, true, true, false };
            for (int k = 0; k < 7; ++k)
                if (black[k])
                    g.fillRect (keys.getX() + (float) k * 6.5f + 4.2f, keys.getY(), 4.2f, keys.getHeight() * 0.6f);
            break;
        }
        case 3:
        {
            g.drawLine (c.x - 26.0f, c.y - 14.0f, c.x + 26.0f, c.y - 14.0f, 2.0f);
            g.fillRoundedRectangle (c.x - 9.0f, c.y - 12.0f, 18.0f, 12.0f, 5.0f);
            g.fillRect (c.x - 2.0f, c.y, 4.0f, 22.0f);
            g.fillRect (c.x - 14.0f, c.y + 22.0f, 28.0f, 4.0f);
            break;
        }
        default:
        {
            juce::Path board;
            board.addEllipse (c.x - 24.0f, c.y - 20.0f, 48.0f, 40.0f);
            g.strokePath (board, juce::PathStrokeType (2.5f));
            for (int s = 0; s < 6; ++s)
            {
                const float x = c.x - 15.0f + (float) s * 6.0f;
                g.drawLine (x, c.y - 16.0f + (float) s, x + 6.0f, c.y + 16.0f, 1.2f);
            }
            break;
        }
    }
}
} // namespace

juce::Image ControlArt::button (Glyph glyph, int width, int height, bool on)
{
    juce::Image image (juce::Image::ARGB, width, height, true);
    juce::Graphics g (image);
    const auto area = image.getBounds().toFloat();
    ArtStyle::drawButtonFace (g, area, on, 4.0f);
    drawGlyph (g, glyph, area, on);
    return image;
}

juce::Image ControlArt::kCircle (bool on)
{
    constexpr int size = 38;
    juce::Image image (juce::Image::ARGB, size, size, true);
    juce::Graphics g (image);
    const auto disc = image.getBounds().toFloat().reduced (3.0f);

    if (on)
    {
        g.setGradientFill (juce::ColourGradient (juce::Colour (0xffff5a45), disc.getCentreX(), disc.getY(), juce::Colour (0xffa01c12), disc.getCentreX(), disc.getBottom(), false));
        g.fillEllipse (disc);
        g.setColour (juce::Colour (0xffffb0a0));
    }
    else
    {
        g.setGradientFill (juce::ColourGradient (ArtStyle::faceTop, disc.getCentreX(), disc.getY(), ArtStyle::faceBottom, disc.getCentreX(), disc.getBottom(), false));
        g.fillEllipse (disc);
        g.setColour (ArtStyle::faceBorder);
    }
    g.drawEllipse (disc.reduced (0.5f), 1.2f);

    g.setColour (on ? juce::Colours::white : ArtStyle::dimCaption);
    g.setFont (ArtStyle::font (22.0f));
    g.drawText ("K", image.getBounds(), juce::Justification::centred);
    return image;
}

juce::Image ControlArt::sliderThumb()
{
    // A fader cap; its light line on columns 23 to 25 marks the value.
    juce::Image image (juce::Image::ARGB, 49, PART_SLIDER_HEIGHT, true);
    juce::Graphics g (image);
    const juce::Rectangle<float> cap { 3.0f, 9.0f, 43.0f, 29.0f };

    g.setColour (juce::Colours::black.withAlpha (0.45f));
    g.fillRoundedRectangle (cap.translated (1.5f, 2.0f), 4.0f);
    g.setGradientFill (juce::ColourGradient (juce::Colour (0xff4a4e57), cap.getX(), 0.0f, juce::Colour (0xff17181c), cap.getRight(), 0.0f, false));
    g.fillRoundedRectangle (cap, 4.0f);
    g.setColour (juce::Colour (0xff5d626c));
    g.drawRoundedRectangle (cap.reduced (0.5f), 4.0f, 1.0f);

    g.setColour (juce::Colour (0xffb8bcc4));
    g.fillRect (23, 10, 1, 27);
    g.fillRect (25, 10, 1, 27);
    g.setColour (juce::Colour (0xfff4f4f4));
    g.fillRect (24, 10, 1, 27);
    return image;
}

juce::Image ControlArt::offsetThumb()
{
    // Points left at the key view's centre line; the tip covers rows 13 and 14.
    juce::Image image (juce::Image::ARGB, 16, 28, true);
    juce::Graphics g (image);
    const juce::Colour colour (0xffc45e41);

    juce::Path triangle;
    triangle.addTriangle (1.0f, 14.0f, 15.0f, 4.0f, 15.0f, 24.0f);
    g.setColour (colour.withAlpha (0.25f));
    g.fillPath (triangle);
    g.setColour (colour);
    g.strokePath (triangle, juce::PathStrokeType (1.5f, juce::PathStrokeType::mitered));
    return image;
}

juce::Image ControlArt::keyBarMask (int width)
{
    juce::Image image (juce::Image::ARGB, width, keyBarHeight, true);
    juce::Graphics g (image);

    // Shade outside the window, leaving three columns clear at either end.
    const int windowLeft = width - keyBarWidth;
    const int windowRight = keyBarWidth;
    const juce::Colour shade (0x80121212);
    g.setColour (shade);
    if (windowLeft > 3)
    {
        g.fillRect (3, 2, windowLeft - 3, keyBarHeight - 4);
        g.fillRect (windowRight, 2, width - 3 - windowRight, keyBarHeight - 4);
    }

    const auto frame = juce::Rectangle<int> (windowLeft, 0, windowRight - windowLeft, keyBarHeight).toFloat();
    g.setColour (ArtStyle::accentDark);
    g.drawRoundedRectangle (frame.reduced (1.0f), 2.0f, 2.0f);
    return image;
}

juce::Image ControlArt::keyEditorSize (int width)
{
    // Only the size of these images matters; they show the key columns for reference.
    juce::Image image (juce::Image::ARGB, width, KEY_VIEW_HEIGHT, true);
    juce::Graphics g (image);
    const int columnWidth = width / KEY_COUNT;
    for (int k = 0; k < KEY_COUNT; ++k)
    {
        const int note = (k + FIRST_KEY_NOTE) % 12;
        const bool black = note == 1 || note == 3 || note == 6 || note == 8 || note == 10;
        g.setColour (black ? juce::Colour (0xff24211a) : juce::Colour (0xff312e27));
        g.fillRect (k * columnWidth, 0, columnWidth - 1, KEY_VIEW_HEIGHT);
    }
    return image;
}

juce::Image ControlArt::pianoIcon (int index, int width)
{
    constexpr int height = 80;
    constexpr int shapes = 5;
    constexpr int icons = 15;

    juce::Image image (juce::Image::ARGB, width, height, true);
    juce::Graphics g (image);
    const auto area = image.getBounds().toFloat().reduced (3.0f);
    // Each icon has a hue of its own around the colour wheel; the shapes repeat every five.
    const auto tile = juce::Colour::fromHSV ((float) ((index * 7) % icons) / (float) icons, 0.5f, 0.5f, 1.0f);

    g.setGradientFill (juce::ColourGradient (tile.brighter (0.3f), 0.0f, area.getY(), tile.darker (0.5f), 0.0f, area.getBottom(), false));
    g.fillRoundedRectangle (area, 10.0f);
    g.setColour (tile.brighter (0.6f));
    g.drawRoundedRectangle (area.reduced (0.5f), 10.0f, 1.0f);

    drawIconShape (g, index % shapes, area, juce::Colour (0xfff2ede2));
    return image;
}

juce::Image ControlArt::windowIcon()
{
    juce::Image image (juce::Image::ARGB, 16, 16, true);
    juce::Graphics g (image);
    g.setColour (ArtStyle::topBar);
    g.fillRoundedRectangle (0.0f, 0.0f, 16.0f, 16.0f, 3.0f);
    g.setColour (juce::Colour (0xffe6e2d8));
    g.fillRect (2, 6, 12, 8);
    g.setColour (ArtStyle::topBar);
    for (int k = 1; k < 4; ++k)
        g.fillRect (2 + k * 3, 6, 1, 8);
    g.fillRect (4, 6, 2, 5);
    g.fillRect (10, 6, 2, 5);
    g.setColour (ArtStyle::accent);
    g.fillRect (2, 3, 12, 2);
    return image;
}
