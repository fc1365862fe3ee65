#include "controls/ImageComboBox.h"

#include "controls/MenuAreaPopup.h"

#include <algorithm>

ImageComboBox::ImageComboBox()
    : lookAndFeel (std::make_unique<IBLookAndFeel>()),
      button (juce::String())
{
    setLookAndFeel (lookAndFeel.get());
    button.addListener (this);
    addAndMakeVisible (button);
}

ImageComboBox::~ImageComboBox()
{
    // An open popup draws through the look-and-feel: close it first.
    dismissPopup();
    setLookAndFeel (nullptr);
}

void ImageComboBox::setBounds (int x, int y, int width, int height)
{
    juce::Component::setBounds (x, y, width, height);
    button.setBounds (0, 0, width, height);
}

void ImageComboBox::setMenuArea (int x, int y, int width, int height)
{
    menuArea = { x, y + getY() + getHeight(), width, height };
}

void ImageComboBox::clear()
{
    items.clear();
    selectedIndex = -1;
    showImage ({});
}

void ImageComboBox::setItemSize (int width, int height)
{
    lookAndFeel->itemWidth = width;
    lookAndFeel->itemHeight = height;
}

void ImageComboBox::addItem (int id, const juce::Image& image)
{
    items.add (new ItemInfo (id, image));
}

void ImageComboBox::buttonClicked (juce::Button*)
{
    showPopup();
}

bool ImageComboBox::isMenuVisible() const
{
    return menuVisible;
}

void ImageComboBox::dismissPopup()
{
    // One popup is open at a time, so closing them all closes the box's own.
    if (menuVisible)
    {
        juce::PopupMenu::dismissAllActiveMenus();
        MenuAreaPopup::dismissAll();
    }
}

void ImageComboBox::showPopup()
{
    // Without items there is nothing to show, and no result would ever come
    // to close the popup again.
    if (isMenuVisible() || items.isEmpty())
        return;

    juce::PopupMenu menu;
    menu.setLookAndFeel (&getLookAndFeel());

    for (int i = 0; i < items.size(); ++i)
        menu.addItem (i + 1, juce::String(), true, false, items[i]->image);

    menuVisible = true;
    MenuAreaPopup::showForBox (*this, menu, menuArea, selectedIndex + 1, juce::ModalCallbackFunction::forComponent (popupItemChosenCallback, this));
}

void ImageComboBox::popupItemChosenCallback (int result, ImageComboBox* box)
{
    if (box == nullptr)
        return;

    // Cleared before the listeners hear of it: one of them may delete the box.
    box->menuVisible = false;

    if (result != 0)
    {
        box->selectItem (result - 1);
        box->sendComboBoxChanged();
    }
}

void ImageComboBox::sendComboBoxChanged()
{
    juce::Component::BailOutChecker checker (this);
    auto* self = reinterpret_cast<juce::ComboBox*> (this);
    listeners.callChecked (checker, [self] (juce::ComboBox::Listener& l)
                           { l.comboBoxChanged (self); });
}

void ImageComboBox::addListener (juce::ComboBox::Listener* listener)
{
    if (listener != nullptr)
        listeners.add (listener);
}

juce::Image ImageComboBox::getItemImage (int index) const
{
    return juce::isPositiveAndBelow (index, items.size()) ? items[index]->image : juce::Image();
}

int ImageComboBox::getSelectedId() const
{
    return selectedIndex >= 0 ? items[selectedIndex]->id : 0;
}

int ImageComboBox::getSelectedItemIndex() const
{
    return selectedIndex;
}

void ImageComboBox::setSelectedItemIndex (int index)
{
    selectItem (index);
}

void ImageComboBox::setSelectedId (int id)
{
    for (int i = 0; i < items.size(); ++i)
    {
        if (items[i]->id == id)
        {
            selectItem (i);
            return;
        }
    }

    selectItem (-1);
}

void ImageComboBox::selectItem (int index)
{
    if (index >= items.size())
        return;

    // Any negative index means no selection.
    selectedIndex = std::max (-1, index);
    showImage (getItemImage (selectedIndex));
}

void ImageComboBox::showImage (const juce::Image& image)
{
    const auto noOverlay = juce::Colours::transparentBlack;
    button.setImages (false, true, true, image, 1.0f, noOverlay, juce::Image(), 1.0f, noOverlay, image, 1.0f, noOverlay, 0.0f);
}
