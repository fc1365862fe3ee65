#include "BinaryData.h"
#include "PngFixture.h"
#include "controls/OSlider.h"
#include "controls/VSlider.h"

#include <gtest/gtest.h>

namespace
{
const auto thumbColour = juce::Colour (0xffff0000);
const auto trackColour = juce::Colour (0xff0000ff);

const PngFixture& horizontalThumb()
{
    static const PngFixture png (PngFixture::solid (49, 47, thumbColour));
    return png;
}

const PngFixture& verticalThumb()
{
    static const PngFixture png (PngFixture::solid (16, 28, thumbColour));
    return png;
}

const PngFixture& horizontalTrack()
{
    static const PngFixture png (PngFixture::solid (224, 47, trackColour));
    return png;
}

template<typename SliderType>
void setUpAsPanel (SliderType& slider, int width, int height, double value)
{
    slider.setRange (14.0, 114.0, 1.0);
    slider.setDoubleClickReturnValue (true, 64.0);
    slider.setSize (width, height);
    slider.setValue (value, juce::dontSendNotification);
}

juce::Image paint (juce::Component& component)
{
    juce::Image image (juce::Image::ARGB, component.getWidth(), component.getHeight(), true);
    juce::Graphics g (image);
    component.paintEntireComponent (g, false);
    return image;
}

bool isThumb (const juce::Image& image, int x, int y)
{
    return image.getPixelAt (x, y) == thumbColour;
}

// First column (or row) of the painted image where the thumb shows; -1 when it shows nowhere.
int firstThumbColumn (const juce::Image& image, int row)
{
    for (int x = 0; x < image.getWidth(); ++x)
        if (isThumb (image, x, row))
            return x;

    return -1;
}

int firstThumbRow (const juce::Image& image, int column)
{
    for (int y = 0; y < image.getHeight(); ++y)
        if (isThumb (image, column, y))
            return y;

    return -1;
}

struct ThumbCase
{
    double value;
    int horizontalLeft;
    int verticalTop;
};

// 224 x 47 with a 49-px thumb: 24 + p * 176, less half a thumb.
// 16 x 228 with a 28-px thumb: 14 + (1 - p) * 200, less half a thumb: 2 px a step.
constexpr ThumbCase thumbCases[] = {
    { 14.0, 0, 200 },
    { 15.0, 1, 198 },
    { 64.0, 88, 100 },
    { 114.0, 176, 0 },
};
} // namespace

TEST (ImageSliders, ThumbCentreLiesAtTheValuePosition)
{
    for (const auto& c : thumbCases)
    {
        SCOPED_TRACE (c.value);

        OSlider horizontal (horizontalThumb().data(), horizontalThumb().size(), nullptr, 0);
        setUpAsPanel (horizontal, 224, 47, c.value);
        const auto row = paint (horizontal);
        EXPECT_EQ (firstThumbColumn (row, 23), c.horizontalLeft);
        EXPECT_TRUE (isThumb (row, juce::jmin (223, c.horizontalLeft + 48), 46));

        VSlider vertical (verticalThumb().data(), verticalThumb().size(), nullptr, 0);
        setUpAsPanel (vertical, 16, 228, c.value);
        const auto column = paint (vertical);
        EXPECT_EQ (firstThumbRow (column, 8), c.verticalTop);
        EXPECT_TRUE (isThumb (column, 15, c.verticalTop + 27));
        EXPECT_FALSE (c.verticalTop + 28 < 228 && isThumb (column, 8, c.verticalTop + 28));
    }
}

TEST (ImageSliders, ThumbAtTheMaximumIsClippedByTheControl)
{
    OSlider slider (horizontalThumb().data(), horizontalThumb().size(), nullptr, 0);
    setUpAsPanel (slider, 224, 47, 114.0);
    const auto image = paint (slider);

    EXPECT_FALSE (isThumb (image, 175, 0));
    EXPECT_TRUE (isThumb (image, 176, 0));
    EXPECT_TRUE (isThumb (image, 223, 0));
}

TEST (ImageSliders, TrackStaysAtTheTopLeftUnderTheThumb)
{
    for (const auto value : { 14.0, 64.0, 114.0 })
    {
        SCOPED_TRACE (value);
        OSlider slider (horizontalThumb().data(), horizontalThumb().size(), horizontalTrack().data(), horizontalTrack().size());
        setUpAsPanel (slider, 224, 47, value);
        const auto image = paint (slider);
        const auto thumbLeft = firstThumbColumn (image, 0);

        EXPECT_EQ (image.getPixelAt (thumbLeft == 0 ? 223 : 0, 0), trackColour);
        EXPECT_EQ (image.getPixelAt (thumbLeft == 0 ? 223 : 0, 46), trackColour);
        EXPECT_TRUE (isThumb (image, thumbLeft + 24, 20));
    }
}

TEST (ImageSliders, ThumbRadiusIsHalfThePanelThumbAlongTheAxis)
{
    OSlider horizontal (BinaryData::oslider_cur_png, BinaryData::oslider_cur_pngSize, nullptr, 0);
    VSlider vertical (BinaryData::triangle_png, BinaryData::triangle_pngSize, nullptr, 0);
    OSlider bare (nullptr, 0, nullptr, 0);

    EXPECT_EQ (horizontal.getLookAndFeel().getSliderThumbRadius (horizontal), 24);
    EXPECT_EQ (vertical.getLookAndFeel().getSliderThumbRadius (vertical), 14);
    EXPECT_EQ (bare.getLookAndFeel().getSliderThumbRadius (bare), 0);
    EXPECT_FALSE (horizontal.isTextBoxEditable());
    EXPECT_EQ (horizontal.getTextBoxPosition(), juce::Slider::NoTextBox);
    EXPECT_EQ (vertical.getSliderStyle(), juce::Slider::LinearVertical);
}

TEST (ImageSliders, WithoutThumbNothingIsDrawnAndTheWholeWidthTakesTheMouse)
{
    struct Counter : juce::Slider::Listener
    {
        void sliderValueChanged (juce::Slider*) override { ++calls; }
        int calls = 0;
    } counter;

    OSlider slider (nullptr, 0, nullptr, 0);
    setUpAsPanel (slider, 224, 47, 64.0);
    slider.addListener (&counter);

    const auto image = paint (slider);
    for (int x = 0; x < 224; ++x)
        ASSERT_EQ (image.getPixelAt (x, 20).getAlpha(), 0) << x;

    auto source = juce::Desktop::getInstance().getMainMouseSource();
    const juce::MouseEvent press (source, { 0.0f, 20.0f }, juce::ModifierKeys::leftButtonModifier, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, &slider, &slider, juce::Time::getCurrentTime(), { 0.0f, 20.0f }, juce::Time::getCurrentTime(), 1, false);
    slider.mouseDown (press);
    slider.mouseUp (press);

    EXPECT_EQ (slider.getValue(), 14.0);
    EXPECT_EQ (counter.calls, 1);
}
