#include "link/ProcessingThread.h"

Midi::ProcessingThread::ProcessingThread (Midi& owner) : juce::Thread ("MidiProcessing"),
                                                         link (owner)
{
}

Midi::ProcessingThread::~ProcessingThread()
{
    stopThread (-1);
}

void Midi::ProcessingThread::run()
{
    link.deferLinesOfThisThread();

    while (! threadShouldExit())
    {
        wait (-1);

        // Checked before every message: once the link is stopping, and above
        // all once it is deleted, the loop takes nothing more from it.
        while (! threadShouldExit() && link.processNextMessage())
        {
        }
    }
}
