#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <vector>

// A popup menu that takes a given screen area itself and shows every item at
// once, in equal columns filled top to bottom and then left to right. It looks
// and behaves like the framework's popup menu: items are drawn through the
// look-and-feel, the highlight follows the mouse, a click chooses, a click
// outside dismisses with result 0, and the result arrives asynchronously.
class MenuAreaPopup final : public juce::Component, private juce::Timer
{
public:
    struct Layout
    {
        int rows = 0;
        int columns = 0;
        int columnWidth = 0;
        juce::Rectangle<int> window; // screen bounds of the popup
        std::vector<juce::Rectangle<int>> items; // in the popup's own coordinates
    };

    static constexpr int minItemHeight = 2;
    static constexpr int maxItemHeight = 600;

    // Places items of the given heights into the screen area. The rows leave
    // room for the popup's border above and below, and there is always at
    // least one row, so an area lower than an item still gets one.
    static Layout layOut (juce::Rectangle<int> screenArea, const std::vector<int>& itemHeights, int border);

    // Opens a popup over options.getTargetScreenArea(). The callback (owned
    // from here on) gets the chosen item's id, or 0 when the popup was
    // dismissed; a menu without items delivers 0 at once, asynchronously.
    static void showAsync (const juce::PopupMenu& menu,
                           const juce::PopupMenu::Options& options,
                           juce::LookAndFeel& lookAndFeel,
                           juce::ModalComponentManager::Callback* callback);

    // The popup of a combo box: over its menu area (in the box's coordinates)
    // when the area has a width and a height, else the framework's popup
    // under the box, in one column, with the given item in view.
    static void showForBox (juce::Component& box,
                            juce::PopupMenu& menu,
                            juce::Rectangle<int> menuArea,
                            int itemThatMustBeVisible,
                            juce::ModalComponentManager::Callback* callback);

    // Dismisses every open popup of this kind with result 0 and lets go of
    // their look-and-feels at once. Returns whether any was open.
    static bool dismissAll();

    ~MenuAreaPopup() override;

    int getNumItems() const;
    juce::Rectangle<int> getItemBounds (int index) const;
    int getHighlightedIndex() const;

    void paint (juce::Graphics&) override;
    bool keyPressed (const juce::KeyPress&) override;
    void inputAttemptWhenModal() override;
    void handleCommandMessage (int commandId) override;

    void mouseMove (const juce::MouseEvent&) override;
    void mouseDown (const juce::MouseEvent&) override;
    void mouseDrag (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;
    void mouseExit (const juce::MouseEvent&) override;

private:
    MenuAreaPopup (const juce::PopupMenu&, const juce::PopupMenu::Options&, juce::LookAndFeel&);

    void timerCallback() override;

    void followMouse (juce::Point<int> screenPosition);
    int findItemAt (juce::Point<int> localPosition) const;
    void setHighlightedIndex (int index);
    void moveHighlight (int step);
    void triggerHighlightedItem();
    void dismiss (int result);
    bool isInside (juce::Point<int> screenPosition);
    bool doesAnyWindowOfOursHaveFocus();

    static std::vector<MenuAreaPopup*>& getActivePopups();

    const juce::PopupMenu::Options options;
    juce::WeakReference<juce::Component> target;
    std::vector<juce::PopupMenu::Item> items;
    Layout layout;
    int highlighted = -1;
    bool hasBeenOver = false;
    bool pressedInside = false;
    bool exiting = false;
    bool anyWindowHadFocus = false;
    juce::uint32 creationTime = 0;
    juce::uint32 lastFocusedTime = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MenuAreaPopup)
};
