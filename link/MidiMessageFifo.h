#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <memory>

// Unbounded queue of received messages, oldest first. The MIDI driver's thread
// puts, the processing thread gets; every operation holds the one lock.
class MidiMessageFifo
{
public:
    MidiMessageFifo() = default;
    ~MidiMessageFifo();

    void put (const juce::MidiMessage& message, unsigned int timeStamp);

    // Takes the oldest message out; on an empty queue returns false and leaves
    // both outputs untouched.
    bool get (juce::MidiMessage& message, unsigned int& timeStamp);
    // The same, and the number of flushes so far, read with it in one step:
    // a message taken out counts as flushed once that number has moved on.
    bool get (juce::MidiMessage& message, unsigned int& timeStamp, juce::uint32& flushes);

    void flush();
    juce::uint32 getFlushCount() const;

private:
    struct MidiMessageFifoItem
    {
        MidiMessageFifoItem (MidiMessageFifoItem* next, const juce::MidiMessage& message, unsigned int timeStamp);

        std::unique_ptr<MidiMessageFifoItem> next;
        std::unique_ptr<juce::MidiMessage> message;
        unsigned int timeStamp;
    };

    mutable juce::CriticalSection lock;
    std::unique_ptr<MidiMessageFifoItem> head;
    MidiMessageFifoItem* tail = nullptr;
    juce::uint32 flushCount = 0;

    JUCE_DECLARE_NON_COPYABLE (MidiMessageFifo)
};
