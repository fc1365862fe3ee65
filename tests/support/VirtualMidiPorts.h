#pragma once

#include "link/MidiPorts.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

// In-process MIDI ports for tests. A port's identifier is its name prefixed by
// "virtual:". Deliveries run on a thread of their own, as a driver's would, and
// are serialised with closing: once an input is disabled or its callback
// removed, no callback runs or starts.
class VirtualMidiPorts : public MidiPorts
{
public:
    VirtualMidiPorts (juce::StringArray inputNames, juce::StringArray outputNames);
    ~VirtualMidiPorts() override;

    static juce::String identifierFor (const juce::String& portName);

    juce::Array<juce::MidiDeviceInfo> getInputs() override;
    juce::Array<juce::MidiDeviceInfo> getOutputs() override;
    void setInputEnabled (const juce::String& identifier, bool enabled) override;
    bool isInputEnabled (const juce::String& identifier) override;
    void addInputCallback (const juce::String& identifier, juce::MidiInputCallback* callback) override;
    void removeInputCallback (const juce::String& identifier, juce::MidiInputCallback* callback) override;
    void setOutput (const juce::String& identifier) override;
    bool isOutputOpen() override;
    void sendNow (const juce::MidiMessage& message) override;

    // A port that fails to open stays closed when asked to open; input or output.
    void setFailsToOpen (const juce::String& portName, bool fails);

    // Queued; made on the delivery thread if the input is then enabled and has
    // a callback, else dropped.
    void deliver (const juce::String& inputName, const juce::MidiMessage& message);
    // Blocks until every queued delivery has been made or dropped.
    void waitUntilDelivered();

    // Called on the sender's thread for each message sent to an open output.
    void setSendObserver (std::function<void (const juce::String& outputName, const juce::MidiMessage&)> observer);

    struct SentMessage
    {
        juce::String outputName;
        juce::MidiMessage message;
        double timeMs;
    };

    std::vector<SentMessage> getSentMessages() const;
    void clearSentMessages();

    // The input's device vanishes: the port reports itself disabled while its
    // callback stays registered, as a driver's would, until it is removed.
    void unplug (const juce::String& inputName);
    bool hasInputCallback (const juce::String& inputName) const;

    // Calls on the output (sends, changes, queries) that overlapped another
    // one; a real output port takes no such concurrent use.
    int getOverlappingOutputCalls() const;

    bool isInputOpen (const juce::String& inputName) const;
    // "" when none is open.
    juce::String getOpenOutputName() const;

private:
    struct Input
    {
        bool enabled = false;
        juce::MidiInputCallback* callback = nullptr;
    };

    struct Delivery
    {
        juce::String inputName;
        juce::MidiMessage message;
    };

    // Counts the calls on the output that run at once.
    class OutputCall
    {
    public:
        explicit OutputCall (VirtualMidiPorts& owner);
        ~OutputCall();

    private:
        VirtualMidiPorts& ports;
    };

    static juce::String nameFor (const juce::String& identifier);
    void deliveryLoop();

    const juce::StringArray inputNames;
    const juce::StringArray outputNames;

    mutable std::mutex mutex;
    std::condition_variable deliveriesChanged;
    std::map<juce::String, Input> inputs;
    juce::StringArray failingPorts;
    juce::String heldOutputIdentifier;
    juce::String openOutputName;
    std::function<void (const juce::String&, const juce::MidiMessage&)> sendObserver;
    std::vector<SentMessage> sentMessages;
    std::deque<Delivery> pendingDeliveries;
    bool deliveryInProgress = false;
    bool stopping = false;
    std::atomic<int> outputCallsRunning { 0 };
    std::atomic<int> overlappingOutputCalls { 0 };

    // Held while a callback runs, and by every change that closes an input.
    std::recursive_mutex callbackMutex;

    std::thread deliveryThread;
};
