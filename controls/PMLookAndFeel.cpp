#include "controls/PMLookAndFeel.h"

KeyView::KeyEdit::PMLookAndFeel::~PMLookAndFeel() = default;

juce::Font KeyView::KeyEdit::PMLookAndFeel::getPopupMenuFont()
{
    return font;
}
