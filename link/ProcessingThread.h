#pragma once

#include "link/Midi.h"

// "MidiProcessing": takes the received messages out of the queue and hands
// them to the link, one at a time, until told to end. It is an object of its
// own so that it can outlive the link when a listener deletes the link from
// one of this thread's calls: the loop then ends without touching the link.
class Midi::ProcessingThread : public juce::Thread
{
public:
    explicit ProcessingThread (Midi& owner);
    ~ProcessingThread() override;

private:
    void run() override;

    Midi& link;

    JUCE_DECLARE_NON_COPYABLE (ProcessingThread)
};
