#pragma once

#include "link/Midi.h"
#include "link/MidiMessageFifo.h"

#include <atomic>

// The one input port of the link, with its owner registered as the port's
// callback and the queue in which the driver's thread leaves what it receives.
class Midi::BufferedMidiInput
{
public:
    explicit BufferedMidiInput (Midi* owner);
    ~BufferedMidiInput();

    // Closes any open port first, then opens this one; returns whether a port
    // is open afterwards. A device without identifier is refused silently.
    bool open (const juce::MidiDeviceInfo& device);
    void close();
    bool isInputOpen() const;

    // Driver's thread: queues the message while a port is open.
    void addEvent (const juce::MidiMessage& message);

    MidiMessageFifo fifo;

private:
    Midi* owner;
    std::atomic<bool> isOpen { false };
    juce::MidiDeviceInfo device;

    JUCE_DECLARE_NON_COPYABLE (BufferedMidiInput)
};
