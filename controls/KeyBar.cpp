#include "controls/KeyBar.h"

#include "controls/EmbeddedImage.h"
#include "controls/KeyBarLookAndFeel.h"

KeyBar::KeyBar (const void* data, int size)
    : cursor (loadEmbeddedImage (data, size)),
      lookAndFeel (std::make_unique<KeyBarLookAndFeel> (cursor))
{
    setTextBoxStyle (juce::Slider::NoTextBox, true, 0, 0);
    setSliderStyle (juce::Slider::LinearHorizontal);
    setLookAndFeel (lookAndFeel.get());
}

KeyBar::~KeyBar()
{
    setLookAndFeel (nullptr);
    lookAndFeel.reset();
}

void KeyBar::setCursor (const void* data, int size)
{
    if (data == nullptr)
        return;

    cursor = juce::ImageCache::getFromMemory (data, size);
    repaint();
}

void KeyBar::setCursorWidth (int width)
{
    lookAndFeel->setThumbRadius (width >> 1);
    lookAndFeelChanged();
}
