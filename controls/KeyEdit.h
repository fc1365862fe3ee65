#pragma once

#include "controls/KeyView.h"

#include <array>
#include <memory>

// The editor inside a KeyView: one bar per key around a centre line that
// follows the part-level value of the parameter, painted with the left mouse
// button and reshaped by dragging break points.
class KeyView::KeyEdit : public juce::Component
{
public:
    class PMLookAndFeel;

    // The owner hears the editor's reports for the whole of its life.
    explicit KeyEdit (KeyView& ownerView);
    ~KeyEdit() override;

    void mouseMove (const juce::MouseEvent& e) override;
    void mouseDown (const juce::MouseEvent& e) override;
    void mouseDrag (const juce::MouseEvent& e) override;
    void mouseUp (const juce::MouseEvent& e) override;
    void paint (juce::Graphics& g) override;
    void modifierKeysChanged (const juce::ModifierKeys& modifiers) override;

    // The owning view's operations; none of them reports to the owner.
    void setBackground (const juce::Image& image);
    void setKeyWidth (int width);
    void setScale (float factor);
    void setMove (float amount);
    void setNote (unsigned char key, bool on);
    void setAllNotesOff();
    void setOffset (unsigned char value);
    void setKeyBorder (unsigned char border);
    void setKeyValues (unsigned char first, const unsigned char* source, unsigned char count);
    void getKeyValues (unsigned char first, unsigned char* dest, unsigned char count) const;

    static void popupItemChosenCallback (int result, KeyEdit* editor);
    void popupItemChosen (int result);

private:
    static constexpr juce::uint8 none = 255;

    juce::Point<int> positionOf (const juce::MouseEvent& e) const;
    int keyAt (int x) const;
    int limitHeight (int y) const;
    float valueForHeight (int yv) const;
    int heightOffset() const;
    void paintingDrag (int k, int x, int y);
    void breakPointDrag (int k, int x, int y);
    // Sets the keys strictly between a neighbouring break point (-1 or keyCount
    // when there is none on that side) and the marker from the saved curve.
    void reshapeToward (int neighbour, int pressedKey, int marker, float rise);
    // A listener may delete the view, and the editor with it: the hover reports
    // then return false, and no report touches the editor afterwards.
    bool reportHover (int key);
    bool sendMouseOverKey (unsigned char key, int value);
    void sendValuesChanged (unsigned char firstKey, unsigned char lastKey, bool keyChanged);
    void repaintKeys (int firstKey, int lastKey);
    void limitValues();

    KeyView& owner;
    juce::Point<int> lastDragPos;
    juce::Point<int> downPos;
    juce::PopupMenu breakPointMenu;
    std::unique_ptr<PMLookAndFeel> menuLookAndFeel;
    juce::Image background;
    std::array<float, keyCount> values;
    std::array<float, keyCount> savedValues;
    juce::uint8 keyWidth = 11;
    juce::uint8 keyHeight = editorHeight;
    juce::uint8 keyBorder = 2;
    juce::uint8 lastOverKey = none;
    juce::uint8 lastOverValue = none;
    juce::uint8 lastSentKey = none;
    juce::uint8 lastSentValue = none;
    juce::uint8 markerHeight = 12;
    std::array<bool, keyCount> breakPoint;
    bool draggingMarker = false;
    // A drag paints or moves a break point only when it began with a left press.
    bool leftDrag = false;
    std::array<bool, keyCount> noteOn;
    bool shiftDown = false;
    juce::uint8 markerKey = none;
    int nextBreakPoint = keyCount;
    int prevBreakPoint = -1;
    float valueOffset = 0.0f;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (KeyEdit)
};
