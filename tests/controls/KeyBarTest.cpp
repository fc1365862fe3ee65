#include "controls/KeyBar.h"
#include "BinaryData.h"
#include "PngFixture.h"

#include <gtest/gtest.h>

namespace
{
constexpr int barWidth = 213;
constexpr int barHeight = 28;

const PngFixture& codedMask (int width)
{
    static const PngFixture x1 (PngFixture::columnCoded (213, barHeight));
    static const PngFixture x2 (PngFixture::columnCoded (317, barHeight));
    static const PngFixture x4 (PngFixture::columnCoded (369, barHeight));
    return width == 213 ? x1 : (width == 317 ? x2 : x4);
}

void setUpAsPanel (KeyBar& bar, double value)
{
    bar.setRange (0.0, 1.0);
    bar.setSize (barWidth, barHeight);
    bar.setValue (value, juce::dontSendNotification);
}

juce::Image paint (juce::Component& component)
{
    juce::Image image (juce::Image::ARGB, component.getWidth(), component.getHeight(), true);
    juce::Graphics g (image);
    component.paintEntireComponent (g, false);
    return image;
}

struct MaskCase
{
    int maskWidth;
    int windowWidth; // 0: never given, the bar's radius stays 0
    double value;
    int sourceX;
};

constexpr MaskCase maskCases[] = {
    { 213, 0, 0.0, 0 },
    { 213, 0, 1.0, 0 },
    { 213, 213, 0.0, 0 },
    { 213, 213, 0.5, 0 },
    { 213, 213, 1.0, 0 },
    { 317, 109, 0.0, 104 },
    { 317, 109, 0.5, 51 },
    { 317, 109, 1.0, 0 },
    { 369, 57, 0.0, 156 },
    { 369, 57, 0.5, 77 },
    { 369, 57, 1.0, 0 },
};
} // namespace

TEST (KeyBar, ShowsTheBarWidthOfTheMaskWithItsCentreAtTheThumb)
{
    for (const auto& c : maskCases)
    {
        SCOPED_TRACE (juce::String (c.maskWidth) + " px mask, window " + juce::String (c.windowWidth) + ", value " + juce::String (c.value));

        const auto& mask = codedMask (c.maskWidth);
        KeyBar bar (mask.data(), mask.size());
        if (c.windowWidth > 0)
            bar.setCursorWidth (c.windowWidth);
        setUpAsPanel (bar, c.value);

        const auto image = paint (bar);
        EXPECT_EQ (PngFixture::columnAt (image, 0, 0), c.sourceX);
        EXPECT_EQ (PngFixture::columnAt (image, barWidth - 1, barHeight - 1), c.sourceX + barWidth - 1);
    }
}

TEST (KeyBar, OddWindowWidthsLoseTheirLastBit)
{
    const auto& mask = codedMask (213);
    KeyBar bar (mask.data(), mask.size());

    for (const auto& [width, radius] : { std::pair { 213, 106 }, { 109, 54 }, { 57, 28 }, { 0, 0 } })
    {
        bar.setCursorWidth (width);
        EXPECT_EQ (bar.getLookAndFeel().getSliderThumbRadius (bar), radius) << width;
    }
}

TEST (KeyBar, NewMaskShowsAtTheNextPaintAndNullDataKeepsTheOldOne)
{
    const auto& wide = codedMask (317);
    const auto& widest = codedMask (369);
    KeyBar bar (wide.data(), wide.size());
    bar.setCursorWidth (109);
    setUpAsPanel (bar, 0.0);

    bar.setCursor (nullptr, 0);
    EXPECT_EQ (PngFixture::columnAt (paint (bar), 0, 0), 104);

    // The radius stays 54 until the caller gives the new window width.
    bar.setCursor (widest.data(), widest.size());
    EXPECT_EQ (PngFixture::columnAt (paint (bar), 0, 0), 130);
}

TEST (KeyBar, MaskNarrowerThanTheBarIsDrawnUnscaledFromItsLeftEnd)
{
    static const PngFixture narrow (PngFixture::columnCoded (100, barHeight));
    KeyBar bar (narrow.data(), narrow.size());
    bar.setCursorWidth (57);
    setUpAsPanel (bar, 0.0);

    const auto image = paint (bar);
    EXPECT_EQ (PngFixture::columnAt (image, 0, 0), 0);
    EXPECT_EQ (PngFixture::columnAt (image, 99, 0), 99);
    EXPECT_EQ (PngFixture::columnAt (image, 100, 0), -1);
}

TEST (KeyBar, WithoutMaskDrawsNothingButStillFollowsTheMouse)
{
    struct Counter : juce::Slider::Listener
    {
        void sliderValueChanged (juce::Slider*) override { ++calls; }
        int calls = 0;
    } counter;

    KeyBar bar (nullptr, 0);
    bar.setCursorWidth (109);
    setUpAsPanel (bar, 0.5);
    bar.addListener (&counter);

    const auto image = paint (bar);
    for (int x = 0; x < barWidth; ++x)
        ASSERT_EQ (image.getPixelAt (x, 10).getAlpha(), 0) << x;

    // With radius 54 the thumb travels from x = 54 to x = 159.
    auto source = juce::Desktop::getInstance().getMainMouseSource();
    const auto now = juce::Time::getCurrentTime();
    const juce::MouseEvent press (source, { 159.0f, 10.0f }, juce::ModifierKeys::leftButtonModifier, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, &bar, &bar, now, { 159.0f, 10.0f }, now, 1, false);
    bar.mouseDown (press);
    bar.mouseUp (press);

    EXPECT_DOUBLE_EQ (bar.getValue(), 1.0);
    EXPECT_EQ (counter.calls, 1);
}

TEST (KeyBar, PanelMasksFitTheBarAtEveryZoom)
{
    struct Mask
    {
        const char* data;
        int size;
        int windowWidth;
    };

    for (const auto& mask : { Mask { BinaryData::keybar_maskX1_png, BinaryData::keybar_maskX1_pngSize, 213 },
                              Mask { BinaryData::keybar_maskX2_png, BinaryData::keybar_maskX2_pngSize, 109 },
                              Mask { BinaryData::keybar_maskX4_png, BinaryData::keybar_maskX4_pngSize, 57 } })
    {
        const auto image = juce::ImageCache::getFromMemory (mask.data, mask.size);
        EXPECT_EQ (image.getHeight(), barHeight);
        EXPECT_EQ (image.getWidth(), 2 * barWidth - mask.windowWidth);
    }
}
