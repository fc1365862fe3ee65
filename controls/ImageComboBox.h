#pragma once

#include "controls/IBLookAndFeel.h"
#include "controls/ItemInfo.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

// A drop-down choice among images: one image button showing the selected
// item, whose popup shows every item's image. Choices are reported through
// juce::ComboBox::Listener with the box's own address, which listeners only
// compare with the box they know; it is no juce::ComboBox.
class ImageComboBox : public juce::Component, public juce::Button::Listener
{
public:
    ImageComboBox();
    ~ImageComboBox() override;

    // Sizes the button with the box; the box has no resized(), so this is
    // the one way to size it.
    void setBounds (int x, int y, int width, int height);

    virtual void clear();
    virtual void addItem (int id, const juce::Image& image);
    virtual void showPopup();
    virtual void setMenuArea (int x, int y, int width, int height);
    void buttonClicked (juce::Button*) override;
    virtual bool isMenuVisible() const;
    // Closes the box's popup, if open, without a choice.
    void dismissPopup();
    virtual void setItemSize (int width, int height);
    virtual int getSelectedId() const;
    virtual int getSelectedItemIndex() const;
    virtual void setSelectedItemIndex (int index);
    virtual void setSelectedId (int id);
    virtual void selectItem (int index);

    juce::Image getItemImage (int index) const;
    static void popupItemChosenCallback (int result, ImageComboBox* box);
    void sendComboBoxChanged();
    void addListener (juce::ComboBox::Listener*);

private:
    void showImage (const juce::Image&);

    bool menuVisible = false;
    juce::Rectangle<int> menuArea;
    std::unique_ptr<IBLookAndFeel> lookAndFeel;
    juce::OwnedArray<ItemInfo> items;
    juce::ImageButton button;
    int selectedIndex = -1;
    juce::ListenerList<juce::ComboBox::Listener> listeners;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ImageComboBox)
};
