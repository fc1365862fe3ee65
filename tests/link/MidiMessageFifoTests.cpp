#include "link/MidiMessageFifo.h"

#include <gtest/gtest.h>

#include <thread>

TEST (MidiMessageFifo, GivesMessagesBackInArrivalOrderWithTheirTimeStamps)
{
    MidiMessageFifo fifo;

    for (int i = 0; i < 5; ++i)
        fifo.put (juce::MidiMessage::controllerEvent (1, 7, i), 100u + (unsigned int) i);

    for (int i = 0; i < 5; ++i)
    {
        juce::MidiMessage message;
        unsigned int timeStamp = 0;
        ASSERT_TRUE (fifo.get (message, timeStamp));
        EXPECT_EQ (message.getControllerValue(), i);
        EXPECT_EQ (timeStamp, 100u + (unsigned int) i);
    }

    // Emptied by taking the last item, the queue takes new items again.
    fifo.put (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 1), 7);
    juce::MidiMessage message;
    unsigned int timeStamp = 0;
    ASSERT_TRUE (fifo.get (message, timeStamp));
    EXPECT_TRUE (message.isNoteOn());
}

TEST (MidiMessageFifo, GetOnAnEmptyQueueLeavesItsOutputsUntouched)
{
    MidiMessageFifo fifo;
    auto message = juce::MidiMessage::programChange (3, 42);
    unsigned int timeStamp = 1234;

    EXPECT_FALSE (fifo.get (message, timeStamp));
    EXPECT_TRUE (message.isProgramChange());
    EXPECT_EQ (message.getProgramChangeNumber(), 42);
    EXPECT_EQ (timeStamp, 1234u);
}

TEST (MidiMessageFifo, FlushDiscardsEverythingEvenALongQueue)
{
    MidiMessageFifo fifo;

    for (int i = 0; i < 200000; ++i)
        fifo.put (juce::MidiMessage::controllerEvent (1, 7, i & 0x7F), 0);

    fifo.flush();

    juce::MidiMessage message;
    unsigned int timeStamp = 0;
    EXPECT_FALSE (fifo.get (message, timeStamp));

    // Left full, the queue frees what it holds as it goes.
    for (int i = 0; i < 200000; ++i)
        fifo.put (juce::MidiMessage::controllerEvent (1, 7, i & 0x7F), 0);
}

TEST (MidiMessageFifo, OneProducerAndOneConsumerKeepTheOrder)
{
    constexpr int messageCount = 20000;
    MidiMessageFifo fifo;

    std::thread producer ([&fifo]
                          {
        for (int i = 0; i < messageCount; ++i)
            fifo.put (juce::MidiMessage::controllerEvent (1, 7, i & 0x7F), (unsigned int) i); });

    int expected = 0;

    while (expected < messageCount)
    {
        juce::MidiMessage message;
        unsigned int timeStamp = 0;

        if (fifo.get (message, timeStamp))
        {
            ASSERT_EQ (timeStamp, (unsigned int) expected);
            ASSERT_EQ (message.getControllerValue(), expected & 0x7F);
            ++expected;
        }
    }

    producer.join();
}
