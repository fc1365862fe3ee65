#include "controls/KeyView.h"

#include "BinaryData.h"
#include "controls/KeyEdit.h"

namespace
{
constexpr int zoom1KeyWidth = 11;
constexpr int zoom2KeyWidth = 22;
constexpr int zoom4KeyWidth = 44;
} // namespace

KeyView::KeyView()
    : juce::Viewport (juce::String()),
      keyEdit (std::make_unique<KeyEdit> (*this))
{
    setViewedComponent (keyEdit.get(), false);
    setScrollBarsShown (false, false, false, false);
    setScrollOnDragMode (juce::Viewport::ScrollOnDragMode::never);
}

KeyView::~KeyView()
{
    setViewedComponent (nullptr, false);
    keyEdit.reset();
}

void KeyView::addListener (Listener* listener)
{
    if (listener != nullptr)
        listeners.add (listener);
}

void KeyView::setZoom (int zoom)
{
    const char* data = nullptr;
    int size = 0;
    int width = 0;

    switch (zoom)
    {
        case 1:
            data = BinaryData::keysX1_png;
            size = BinaryData::keysX1_pngSize;
            width = zoom1KeyWidth;
            break;
        case 2:
            data = BinaryData::keysX2_png;
            size = BinaryData::keysX2_pngSize;
            width = zoom2KeyWidth;
            break;
        case 4:
            data = BinaryData::keysX4_png;
            size = BinaryData::keysX4_pngSize;
            width = zoom4KeyWidth;
            break;
        default:
            return;
    }

    keyEdit->setBackground (juce::ImageCache::getFromMemory (data, size));
    keyEdit->setKeyWidth (width);
}

void KeyView::setScale (float factor)
{
    keyEdit->setScale (factor);
}

void KeyView::setMove (float amount)
{
    keyEdit->setMove (amount);
}

void KeyView::setNote (unsigned char key, bool on)
{
    keyEdit->setNote (key, on);
}

void KeyView::setAllNotesOff()
{
    keyEdit->setAllNotesOff();
}

void KeyView::setOffset (unsigned char value)
{
    keyEdit->setOffset (value);
}

void KeyView::setKeyBorder (unsigned char border)
{
    keyEdit->setKeyBorder (border);
}

void KeyView::setKeyValues (unsigned char first, const unsigned char* source, unsigned char count)
{
    keyEdit->setKeyValues (first, source, count);
}

void KeyView::getKeyValues (unsigned char first, unsigned char* dest, unsigned char count) const
{
    keyEdit->getKeyValues (first, dest, count);
}

void KeyView::sendMouseOverKey (unsigned char key, unsigned char value)
{
    juce::Component::BailOutChecker checker (this);

    if (! checker.shouldBailOut())
        listeners.callChecked (checker, [this, key, value] (Listener& l)
                               { l.mouseOverKey (this, key, value); });
}

void KeyView::sendValuesChanged (unsigned char firstKey, unsigned char lastKey)
{
    juce::Component::BailOutChecker checker (this);

    if (! checker.shouldBailOut())
        listeners.callChecked (checker, [this, firstKey, lastKey] (Listener& l)
                               { l.valuesChanged (this, firstKey, lastKey); });
}
