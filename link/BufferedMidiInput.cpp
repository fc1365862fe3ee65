#include "link/BufferedMidiInput.h"

Midi::BufferedMidiInput::BufferedMidiInput (Midi* ownerToUse) : owner (ownerToUse)
{
}

Midi::BufferedMidiInput::~BufferedMidiInput()
{
    close();
}

bool Midi::BufferedMidiInput::open (const juce::MidiDeviceInfo& deviceToOpen)
{
    if (isOpen)
        close();

    if (deviceToOpen.identifier.isEmpty())
        return false;

    auto& ports = *owner->portLayer;
    ports.setInputEnabled (deviceToOpen.identifier, true);

    if (! ports.isInputEnabled (deviceToOpen.identifier))
    {
        owner->writeToLog ("[" + deviceToOpen.name + "] Midi Input open failed!", LOG_ERROR);
        return false;
    }

    // Registered before the port counts as open: what arrives in between is dropped.
    ports.addInputCallback (deviceToOpen.identifier, owner);
    device = deviceToOpen;
    isOpen = true;
    owner->writeToLog ("[" + device.name + "] set as default Midi Input device", LOG_INFO);
    return true;
}

void Midi::BufferedMidiInput::close()
{
    // Closed even when the port has vanished meanwhile, so that the callback
    // never outlives the link.
    if (! isOpen)
        return;

    auto& ports = *owner->portLayer;
    ports.removeInputCallback (device.identifier, owner);
    ports.setInputEnabled (device.identifier, false);
    fifo.flush();
    isOpen = false;
    device = {};
    owner->writeToLog ("No Midi Input device selected", LOG_INFO);
}

bool Midi::BufferedMidiInput::isInputOpen() const
{
    return isOpen;
}

void Midi::BufferedMidiInput::addEvent (const juce::MidiMessage& message)
{
    if (isOpen)
        fifo.put (message, juce::Time::getMillisecondCounter());
}
