#include "IgnoringLinkListener.h"
#include "ProtocolTestSupport.h"

#include <atomic>
#include <thread>

class MidiVelmorThreads : public LinkFixture
{
};

// A lost connection is reported within two ping periods; the rest is slack
// for a loaded machine.
constexpr int lossReportedWithinMs = 2 * Midi::pingPeriodMs + 1000;

TEST_F (MidiVelmorThreads, PostsArriveOnTheMessageThreadAndDirectRepliesOnMidiProcessing)
{
    ASSERT_TRUE (connect());
    EXPECT_EQ (inbox.lines, juce::StringArray { "Connect 0 0" });

    link->editChannel = 0;
    deliver ({ 0xB0, 0, 3 });
    deliver ({ 0xC1, 4 });
    deliver ({ 0x90, 60, 1 });
    deliver (editorFrame (MidiVelmor::CMD_LAYER_MODE, { 1 }));
    deliver ({ 0xB1, 102, 0 });

    ASSERT_TRUE (pumpUntil ([this]
                            { return inbox.lines.size() == 3 && listener.getLines().size() == 2; }));
    EXPECT_EQ (inbox.lines, (juce::StringArray { "Connect 0 0", "Sound 1 1 3 4", "Note 6 60 1" }));
    EXPECT_TRUE (inbox.allOnMessageThread);
    EXPECT_EQ (listener.getLines(), (juce::StringArray { "onGetLayerMode 1", "onGetChangeMode 0" }));
    EXPECT_EQ (listener.getThreads(), (juce::StringArray { "MidiProcessing", "MidiProcessing" }));
}

TEST_F (MidiVelmorThreads, ConnectionLossIsReportedOnTheMessageThread)
{
    ASSERT_TRUE (connect());
    answerPings = false;

    ASSERT_TRUE (pumpUntil ([this]
                            { return ! listener.getLines().isEmpty(); },
                            lossReportedWithinMs));
    EXPECT_EQ (listener.getLines(), juce::StringArray { "onConnectionLost" });
    EXPECT_EQ (listener.getThreads(), juce::StringArray { "message" });
}

TEST_F (MidiVelmorThreads, EditsAndDecodingShareTheRecordSafely)
{
    ASSERT_TRUE (connect());
    link->editChannel = 0;

    Bytes block { 0, 0, 2, 0, 88, 0 };
    block.insert (block.end(), 88, 99);

    for (int i = 0; i < 50; ++i)
    {
        ports->deliver (inputName, messageOf ({ 0xB0, 99, 0 }));
        ports->deliver (inputName, messageOf ({ 0xB0, 98, i % 18 }));
        ports->deliver (inputName, messageOf ({ 0xB0, 6, i }));
        ports->deliver (inputName, messageOf (editorFrame (MidiVelmor::CMD_SET_TRACK_PARAMETER, block)));
    }

    for (int i = 0; i < 50; ++i)
    {
        link->setPartParam (0, (unsigned char) (i % 18), 70);
        link->sendPartParam (0, (unsigned char) (i % 18));
        EXPECT_TRUE (link->sendPartTrackParam (0, 0, 2, 1, 88, 0));
        pumpMessages (1);
    }

    ports->waitUntilDelivered();
    ASSERT_TRUE (pumpUntil ([this]
                            { return link->getMicroPCopy().tracks[2][87] == 99; }));
}

//==============================================================================
namespace
{
class OrderListener : public RecordingListener
{
public:
    OrderListener (juce::StringArray& sharedOrder, const char* listenerName) : order (sharedOrder),
                                                                               name (listenerName) {}

    void onGetLayerMode (MidiVelmor*, unsigned char) override { order.add (name); }

private:
    juce::StringArray& order;
    juce::String name;
};
} // namespace

TEST (MidiVelmorListeners, RegistrationIsUniqueAndCallsGoLastRegisteredFirst)
{
    MidiVelmor link ("Midi.log", 0x1F, std::make_unique<VirtualMidiPorts> (juce::StringArray {}, juce::StringArray {}));
    juce::StringArray order;
    OrderListener a (order, "A"), b (order, "B"), c (order, "C");

    link.addListener (&a);
    link.addListener (&a);
    link.addListener (nullptr);
    link.addListener (&b);
    link.removeListener (&c);

    link.decode (messageOf (editorFrame (MidiVelmor::CMD_LAYER_MODE, { 0 })));
    EXPECT_EQ (order, (juce::StringArray { "B", "A" }));

    link.removeListener (&a);
    link.removeListener (&b);
}

TEST (MidiVelmorListeners, DeletingTheLinkInsideACallStopsTheWalk)
{
    auto link = std::make_unique<MidiVelmor> ("Midi.log", 0x1F, std::make_unique<VirtualMidiPorts> (juce::StringArray {}, juce::StringArray {}));
    RecordingListener first, deleting;
    deleting.onName = [&link]
    { link.reset(); };

    link->addListener (&first);
    link->addListener (&deleting);

    auto* raw = link.get();
    raw->decode (messageOf (editorFrame (MidiVelmor::CMD_MICROP_NAME, { 0, 1, 0 })));

    EXPECT_EQ (link, nullptr);
    EXPECT_EQ (deleting.getLines().size(), 1);
    EXPECT_TRUE (first.getLines().isEmpty());
}

//==============================================================================
namespace
{
class CountingListener : public IgnoringLinkListener
{
public:
    void onGetLayerMode (MidiVelmor*, unsigned char) override { ++layerModes; }

    std::atomic<int> layerModes { 0 };
};

// Deletes the link from the first call it gets, on whichever thread.
class LinkDeleter : public IgnoringLinkListener
{
public:
    explicit LinkDeleter (std::unique_ptr<MidiVelmor>& linkToDelete) : link (linkToDelete) {}

    void onConnectionLost (MidiVelmor*) override { deleteLink(); }
    void onGetMicroPName (MidiVelmor*, unsigned char, unsigned char, const juce::String&) override { deleteLink(); }

    std::atomic<bool> deleted { false };

private:
    void deleteLink()
    {
        link.reset();
        deleted = true;
    }

    std::unique_ptr<MidiVelmor>& link;
};

// Threads of this process that carry the name.
int threadsNamed (const juce::String& name)
{
    int count = 0;

    for (const auto& task : juce::File ("/proc/self/task").findChildFiles (juce::File::findDirectories, false))
        if (task.getChildFile ("comm").loadFileAsString().trim() == name)
            ++count;

    return count;
}
} // namespace

TEST_F (MidiVelmorThreads, ListenersMayComeAndGoWhileBothThreadsWalkThem)
{
    ASSERT_TRUE (connect());
    CountingListener steady;
    link->addListener (&steady);

    // Every listener removed is deleted at once: a call reaching it after its
    // removal is a use after free.
    std::atomic<bool> churning { true };
    std::thread churn ([this, &churning]
                       {
                           while (churning)
                           {
                               auto passing = std::make_unique<CountingListener>();
                               link->addListener (passing.get());
                               link->removeListener (passing.get());
                           } });

    constexpr int rounds = 300;
    const auto layerMode = messageOf (editorFrame (MidiVelmor::CMD_LAYER_MODE, { 1 }));

    for (int i = 0; i < rounds; ++i)
    {
        auto passing = std::make_unique<CountingListener>();
        link->addListener (passing.get());
        ports->deliver (inputName, layerMode); // walked on "MidiProcessing"
        link->decode (layerMode); // walked here, on the message thread
        link->removeListener (passing.get());
    }

    ports->waitUntilDelivered();
    const bool everyWalkReachedTheSteadyListener = pumpUntil ([&steady]
                                                              { return steady.layerModes == 2 * rounds; });
    churning = false;
    churn.join();
    link->removeListener (&steady);

    EXPECT_TRUE (everyWalkReachedTheSteadyListener) << steady.layerModes << " of " << 2 * rounds;
}

TEST_F (MidiVelmorThreads, AListenerMayDeleteTheLinkWhenTheConnectionIsLost)
{
    ASSERT_TRUE (connect());
    LinkDeleter deleter (link);
    link->addListener (&deleter);
    answerPings = false;

    ASSERT_TRUE (pumpUntil ([&deleter]
                            { return deleter.deleted.load(); },
                            lossReportedWithinMs));
    EXPECT_TRUE (listener.getLines().isEmpty()) << "the walk ends with the link";
}

TEST_F (MidiVelmorThreads, AListenerMayDeleteTheLinkFromACallOnMidiProcessing)
{
    ASSERT_TRUE (connect());
    LinkDeleter deleter (link);
    link->addListener (&deleter);
    ASSERT_EQ (threadsNamed ("MidiProcessing"), 1);

    // The ports go with the link: nothing here touches them after this.
    ports->deliver (inputName, messageOf (editorFrame (MidiVelmor::CMD_MICROP_NAME, { 0, 1, 0 })));

    // The message thread goes on logging, as the panel does, while the link
    // and its logger go on the other thread.
    ASSERT_TRUE (pumpUntil ([&deleter]
                            {
                                juce::Logger::writeToLog ("a line from the message thread");
                                return deleter.deleted.load(); }));
    EXPECT_TRUE (listener.getLines().isEmpty()) << "the walk ends with the link";
    EXPECT_TRUE (pumpUntil ([]
                            { return threadsNamed ("MidiProcessing") == 0; }))
        << "the thread ends once the call has returned";
}
