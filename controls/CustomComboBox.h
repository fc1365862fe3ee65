#pragma once

#include "controls/CBLookAndFeel.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

// A drop-down list of text items that shows only its text, ignores the
// keyboard and can open its popup over a fixed area of the window, in columns.
class CustomComboBox : public juce::ComboBox
{
public:
    CustomComboBox();
    ~CustomComboBox() override;

    void setFont (const juce::Font&);
    void setTextWidth (int width);

    void showPopup() override;
    bool keyPressed (const juce::KeyPress&) override;

    // The area lies y pixels below the box's bottom edge plus the box's own
    // top, in the box's coordinates; its top is fixed when this is called.
    virtual void setMenuArea (int x, int y, int width, int height);

    bool isMenuActive() const;
    void setActiveMenu (bool open);
    // Closes the box's popup, if open, without a choice.
    void dismissPopup();

private:
    static void popupFinished (int result, CustomComboBox* box);

    juce::Rectangle<int> menuArea;
    std::unique_ptr<CBLookAndFeel> lookAndFeel;
    bool popupOpen = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CustomComboBox)
};
