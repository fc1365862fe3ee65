#include "link/DeviceManagerMidiPorts.h"

juce::Array<juce::MidiDeviceInfo> DeviceManagerMidiPorts::getInputs()
{
    return juce::MidiInput::getAvailableDevices();
}

juce::Array<juce::MidiDeviceInfo> DeviceManagerMidiPorts::getOutputs()
{
    return juce::MidiOutput::getAvailableDevices();
}

void DeviceManagerMidiPorts::setInputEnabled (const juce::String& identifier, bool enabled)
{
    deviceManager.setMidiInputDeviceEnabled (identifier, enabled);
}

bool DeviceManagerMidiPorts::isInputEnabled (const juce::String& identifier)
{
    return deviceManager.isMidiInputDeviceEnabled (identifier);
}

void DeviceManagerMidiPorts::addInputCallback (const juce::String& identifier, juce::MidiInputCallback* callback)
{
    deviceManager.addMidiInputDeviceCallback (identifier, callback);
}

void DeviceManagerMidiPorts::removeInputCallback (const juce::String& identifier, juce::MidiInputCallback* callback)
{
    deviceManager.removeMidiInputDeviceCallback (identifier, callback);
}

void DeviceManagerMidiPorts::setOutput (const juce::String& identifier)
{
    deviceManager.setDefaultMidiOutputDevice (identifier);
}

bool DeviceManagerMidiPorts::isOutputOpen()
{
    return deviceManager.getDefaultMidiOutput() != nullptr;
}

void DeviceManagerMidiPorts::sendNow (const juce::MidiMessage& message)
{
    if (auto* output = deviceManager.getDefaultMidiOutput())
        output->sendMessageNow (message);
}
