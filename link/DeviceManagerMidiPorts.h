#pragma once

#include "link/MidiPorts.h"

// The system's MIDI ports through the device manager, used for MIDI only: no
// audio device is ever opened.
class DeviceManagerMidiPorts : public MidiPorts
{
public:
    DeviceManagerMidiPorts() = default;

    juce::Array<juce::MidiDeviceInfo> getInputs() override;
    juce::Array<juce::MidiDeviceInfo> getOutputs() override;
    void setInputEnabled (const juce::String& identifier, bool enabled) override;
    bool isInputEnabled (const juce::String& identifier) override;
    void addInputCallback (const juce::String& identifier, juce::MidiInputCallback* callback) override;
    void removeInputCallback (const juce::String& identifier, juce::MidiInputCallback* callback) override;
    void setOutput (const juce::String& identifier) override;
    bool isOutputOpen() override;
    void sendNow (const juce::MidiMessage& message) override;

private:
    juce::AudioDeviceManager deviceManager;

    JUCE_DECLARE_NON_COPYABLE (DeviceManagerMidiPorts)
};
