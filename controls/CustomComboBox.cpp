#include "controls/CustomComboBox.h"

#include "controls/MenuAreaPopup.h"

namespace
{
constexpr int noChoicesItemId = 1;
} // namespace

CustomComboBox::CustomComboBox()
    : juce::ComboBox (juce::String()),
      lookAndFeel (std::make_unique<CBLookAndFeel>())
{
    setLookAndFeel (lookAndFeel.get());
}

CustomComboBox::~CustomComboBox()
{
    // An open popup draws through the look-and-feel: close it first.
    dismissPopup();
    setLookAndFeel (nullptr);
    lookAndFeel.reset();
}

void CustomComboBox::setFont (const juce::Font& font)
{
    lookAndFeel->font = font;
}

void CustomComboBox::setTextWidth (int width)
{
    lookAndFeel->textWidth = width;
}

void CustomComboBox::setMenuArea (int x, int y, int width, int height)
{
    menuArea = { x, y + getY() + getHeight(), width, height };
}

bool CustomComboBox::keyPressed (const juce::KeyPress&)
{
    return false;
}

bool CustomComboBox::isMenuActive() const
{
    return popupOpen;
}

void CustomComboBox::setActiveMenu (bool open)
{
    popupOpen = open;
}

void CustomComboBox::dismissPopup()
{
    // One popup is open at a time, so closing them all closes the box's own.
    if (popupOpen)
    {
        juce::PopupMenu::dismissAllActiveMenus();
        MenuAreaPopup::dismissAll();
    }
}

void CustomComboBox::showPopup()
{
    // The framework asks on press, drag and release alike.
    if (isMenuActive())
        return;

    const auto selectedId = getSelectedId();

    juce::PopupMenu menu;
    menu.setLookAndFeel (&getLookAndFeel());

    for (int i = 0; i < getNumItems(); ++i)
    {
        const auto id = getItemId (i);
        menu.addItem (id, getItemText (i), true, id == selectedId);
    }

    if (getNumItems() == 0)
        menu.addItem (noChoicesItemId, getTextWhenNoChoicesAvailable(), false, false);

    setActiveMenu (true);

    MenuAreaPopup::showForBox (*this, menu, menuArea, selectedId, juce::ModalCallbackFunction::forComponent (popupFinished, this));
}

void CustomComboBox::popupFinished (int result, CustomComboBox* box)
{
    if (box == nullptr)
        return;

    box->setActiveMenu (false);
    // Lets the framework open the popup again on the next click.
    box->hidePopup();

    if (result != 0)
        box->setSelectedId (result, juce::sendNotificationAsync);
}
