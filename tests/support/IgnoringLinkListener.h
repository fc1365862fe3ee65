#pragma once

#include "link/MidiVelmor.h"

// A link listener that ignores every call; tests and tools override only the
// calls they watch.
class IgnoringLinkListener : public MidiVelmor::Listener
{
public:
    void onConnect (MidiVelmor*, int) override {}
    void onConnectionLost (MidiVelmor*) override {}
    void onSoundChanged (MidiVelmor*, unsigned char, unsigned char, unsigned char) override {}
    void onGetLayerMode (MidiVelmor*, unsigned char) override {}
    void onGetChangeMode (MidiVelmor*, unsigned char) override {}
    void onGetMicroPNameList (MidiVelmor*, unsigned char, unsigned char, const juce::StringArray&) override {}
    void onGetMicroPName (MidiVelmor*, unsigned char, unsigned char, const juce::String&) override {}
    void onGetPartMicroPName (MidiVelmor*, unsigned char, unsigned char, unsigned char, const juce::String&) override {}
    void onGetPartParameters (MidiVelmor*, unsigned char, unsigned char, unsigned char) override {}
    void onGetMicroPData (MidiVelmor*, unsigned char, unsigned char, const ST_MICROPERFORMANCE*) override {}
    void onParamChanged (MidiVelmor*, unsigned char, unsigned char, unsigned char) override {}
    void onPianoFineTuningChanged (MidiVelmor*, unsigned char, unsigned char) override {}
    void onException (MidiVelmor*, MidiVelmor::Exception) override {}
};
