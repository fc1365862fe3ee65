#pragma once

#include "controls/KeyEdit.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <string>
#include <vector>

// Records the view's reports as "over key value" and "changed first last".
class ReportLog : public KeyView::Listener
{
public:
    void mouseOverKey (KeyView*, unsigned char key, unsigned char value) override
    {
        reports.push_back ("over " + std::to_string (key) + " " + std::to_string (value));
    }

    void valuesChanged (KeyView*, unsigned char firstKey, unsigned char lastKey) override
    {
        reports.push_back ("changed " + std::to_string (firstKey) + " " + std::to_string (lastKey));
    }

    std::vector<std::string> take()
    {
        auto taken = reports;
        reports.clear();
        return taken;
    }

    std::vector<std::string> reports;
};

inline juce::MouseEvent mouseAt (juce::Component& target, float x, float y, juce::ModifierKeys mods)
{
    const auto now = juce::Time::getCurrentTime();
    return juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), { x, y }, mods, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, &target, &target, now, { x, y }, now, 1, false);
}

inline KeyView::KeyEdit& editorOf (KeyView& view)
{
    return *dynamic_cast<KeyView::KeyEdit*> (view.getViewedComponent());
}

inline std::vector<int> valuesOf (const KeyView& view, int first = 0, int count = KeyView::keyCount)
{
    std::vector<unsigned char> bytes ((size_t) count, 0);
    view.getKeyValues ((unsigned char) first, bytes.data(), (unsigned char) count);
    return { bytes.begin(), bytes.end() };
}

// Drives one editor the way a pointer would, in editor pixels.
struct Pointer
{
    explicit Pointer (KeyView::KeyEdit& e) : editor (e) {}

    void press (float x, float y, juce::ModifierKeys mods = juce::ModifierKeys::leftButtonModifier)
    {
        editor.mouseDown (mouseAt (editor, x, y, mods));
    }

    void drag (float x, float y, juce::ModifierKeys mods = juce::ModifierKeys::leftButtonModifier)
    {
        editor.mouseDrag (mouseAt (editor, x, y, mods));
    }

    void release (float x, float y)
    {
        editor.mouseUp (mouseAt (editor, x, y, {}));
    }

    void move (float x, float y)
    {
        editor.mouseMove (mouseAt (editor, x, y, {}));
    }

    KeyView::KeyEdit& editor;
};
