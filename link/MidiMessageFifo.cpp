#include "link/MidiMessageFifo.h"

MidiMessageFifo::MidiMessageFifoItem::MidiMessageFifoItem (MidiMessageFifoItem* nextItem,
                                                           const juce::MidiMessage& received,
                                                           unsigned int arrivalTime)
    : next (nextItem),
      message (std::make_unique<juce::MidiMessage> (received)),
      timeStamp (arrivalTime)
{
}

MidiMessageFifo::~MidiMessageFifo()
{
    flush();
}

void MidiMessageFifo::put (const juce::MidiMessage& message, unsigned int timeStamp)
{
    // Allocated outside the lock, so the driver's thread holds it only for the link.
    auto item = std::make_unique<MidiMessageFifoItem> (nullptr, message, timeStamp);
    auto* newest = item.get();

    const juce::ScopedLock sl (lock);

    if (tail == nullptr)
        head = std::move (item);
    else
        tail->next = std::move (item);

    tail = newest;
}

bool MidiMessageFifo::get (juce::MidiMessage& message, unsigned int& timeStamp)
{
    juce::uint32 flushes = 0;
    return get (message, timeStamp, flushes);
}

bool MidiMessageFifo::get (juce::MidiMessage& message, unsigned int& timeStamp, juce::uint32& flushes)
{
    std::unique_ptr<MidiMessageFifoItem> oldest;

    {
        const juce::ScopedLock sl (lock);

        if (head == nullptr)
            return false;

        flushes = flushCount;

        oldest = std::move (head);
        head = std::move (oldest->next);

        if (head == nullptr)
            tail = nullptr;
    }

    message = std::move (*oldest->message);
    timeStamp = oldest->timeStamp;
    return true;
}

void MidiMessageFifo::flush()
{
    std::unique_ptr<MidiMessageFifoItem> items;

    {
        const juce::ScopedLock sl (lock);
        items = std::move (head);
        tail = nullptr;
        ++flushCount;
    }

    // One item at a time: letting the chain delete itself would recurse once per item.
    while (items != nullptr)
        items = std::move (items->next);
}

juce::uint32 MidiMessageFifo::getFlushCount() const
{
    const juce::ScopedLock sl (lock);
    return flushCount;
}
