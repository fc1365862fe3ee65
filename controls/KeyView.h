#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

// Shows and edits one per-key parameter over the 88 keys A0 to C8. The panel
// positions the view itself: it has no scroll bars and does not scroll.
class KeyView : public juce::Viewport
{
public:
    class KeyEdit;

    class Listener
    {
    public:
        virtual ~Listener() = default;
        virtual void mouseOverKey (KeyView* view, unsigned char key, unsigned char value) = 0;
        virtual void valuesChanged (KeyView* view, unsigned char firstKey, unsigned char lastKey) = 0;
    };

    static constexpr int keyCount = 88;
    // Key 0 is A0, note 21: it sets which keys are black.
    static constexpr int firstKeyNote = 21;
    static constexpr int valueMin = 14;
    static constexpr int valueMax = 114;
    static constexpr int valueCentre = 64;
    // The editor is this high at every zoom.
    static constexpr int editorHeight = 202;

    KeyView();
    ~KeyView() override;

    void addListener (Listener* listener);

    void setZoom (int zoom);
    void setScale (float factor);
    void setMove (float amount);
    void setNote (unsigned char key, bool on);
    void setAllNotesOff();
    void setOffset (unsigned char value);
    void setKeyBorder (unsigned char border);
    void setKeyValues (unsigned char first, const unsigned char* source, unsigned char count);
    void getKeyValues (unsigned char first, unsigned char* dest, unsigned char count) const;

    void sendMouseOverKey (unsigned char key, unsigned char value);
    void sendValuesChanged (unsigned char firstKey, unsigned char lastKey);

private:
    juce::ListenerList<Listener> listeners;
    std::unique_ptr<KeyEdit> keyEdit;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (KeyView)
};
