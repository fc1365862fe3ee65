#pragma once

#include "VirtualMidiPorts.h"
#include "link/MidiVelmor.h"

#include <gtest/gtest.h>

#include <vector>

using Bytes = std::vector<int>;

Bytes operator+ (Bytes first, const Bytes& second);

juce::MidiMessage messageOf (const Bytes& bytes);
Bytes bytesOf (const juce::MidiMessage& message);
juce::String hexOf (const Bytes& bytes);

// A complete editor frame, checksum worked out here rather than by the link.
Bytes editorFrame (int command, const Bytes& payload);
Bytes identityReply (int major, int minor, int flags);

// Everything the link has written to its log file so far.
juce::String logText();
// Runs the message loop so that posted messages arrive.
void pumpMessages (int milliseconds = 30);
bool pumpUntil (std::function<bool()> condition, int timeoutMs = 3000);

// Records every posted message as one line of text, and whether each arrived
// on the message thread.
class Inbox : public juce::MessageListener
{
public:
    void handleMessage (const juce::Message& message) override;

    juce::StringArray lines;
    bool allOnMessageThread = true;
};

// Records every listener call as one line of text with the thread it came on.
class RecordingListener : public MidiVelmor::Listener
{
public:
    void onConnect (MidiVelmor*, int) override;
    void onConnectionLost (MidiVelmor*) override;
    void onSoundChanged (MidiVelmor*, unsigned char, unsigned char, unsigned char) override;
    void onGetLayerMode (MidiVelmor*, unsigned char mode) override;
    void onGetChangeMode (MidiVelmor*, unsigned char mode) override;
    void onGetMicroPNameList (MidiVelmor*, unsigned char, unsigned char, const juce::StringArray&) override;
    void onGetMicroPName (MidiVelmor*, unsigned char bank, unsigned char index, const juce::String& name) override;
    void onGetPartMicroPName (MidiVelmor*, unsigned char, unsigned char, unsigned char, const juce::String&) override;
    void onGetPartParameters (MidiVelmor*, unsigned char, unsigned char, unsigned char) override;
    void onGetMicroPData (MidiVelmor*, unsigned char, unsigned char, const ST_MICROPERFORMANCE*) override;
    void onParamChanged (MidiVelmor*, unsigned char, unsigned char, unsigned char) override;
    void onPianoFineTuningChanged (MidiVelmor*, unsigned char, unsigned char) override;
    void onException (MidiVelmor*, MidiVelmor::Exception) override;

    void record (const juce::String& line);
    juce::StringArray getLines() const;
    juce::StringArray getThreads() const;

    std::function<void()> onName;

private:
    juce::CriticalSection lock;
    juce::StringArray lines, threads;
};

// A link on virtual ports with a minimal instrument behind them that answers
// the identity request with the given version and every ping.
class LinkFixture : public ::testing::Test
{
protected:
    static constexpr const char* inputName = "Piano In";
    static constexpr const char* outputName = "Piano Out";

    void SetUp() override;
    void TearDown() override;

    // Connects and waits for the result; true when connected.
    bool connect (int major = 1, int minor = 4, int flags = 0x48);
    // What the link sent since the last clear, pings and identity requests left out.
    std::vector<Bytes> sentMessages() const;
    void clearSent();
    void deliver (const Bytes& bytes);

    VirtualMidiPorts* ports = nullptr;
    std::unique_ptr<MidiVelmor> link;
    Inbox inbox;
    RecordingListener listener;
    Bytes identityAnswer;
    std::atomic<bool> answerPings { true };

private:
    juce::CriticalSection violationLock;
    juce::StringArray sysExViolations;
};

// The lines the link has written to its log since `from` characters, each as
// its level letter, a blank and its text ("E ZELTRONA SysEx checksum error");
// unprefixed lines as they stand.
juce::StringArray logLinesSince (int from);
