#pragma once

#include <juce_audio_devices/juce_audio_devices.h>

// The MIDI ports as the link sees them: listed by index, opened by identifier.
// The link serialises output changes and sends itself.
class MidiPorts
{
public:
    virtual ~MidiPorts() = default;

    // List index = port index.
    virtual juce::Array<juce::MidiDeviceInfo> getInputs() = 0;
    virtual juce::Array<juce::MidiDeviceInfo> getOutputs() = 0;

    virtual void setInputEnabled (const juce::String& identifier, bool enabled) = 0;
    virtual bool isInputEnabled (const juce::String& identifier) = 0;
    virtual void addInputCallback (const juce::String& identifier, juce::MidiInputCallback* callback) = 0;
    virtual void removeInputCallback (const juce::String& identifier, juce::MidiInputCallback* callback) = 0;

    // An empty identifier really closes the output.
    virtual void setOutput (const juce::String& identifier) = 0;
    virtual bool isOutputOpen() = 0;
    // Does nothing while no output is open.
    virtual void sendNow (const juce::MidiMessage& message) = 0;
};
