#pragma once

#include "link/AppLogger.h"
#include "link/MidiPorts.h"

#include <juce_audio_devices/juce_audio_devices.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>
#include <memory>

// Connection manager of the instrument link: finds the instrument among the
// MIDI ports with the identity request, keeps it alive with pings, and runs the
// "MidiProcessing" thread that hands every received message to the protocol
// hooks of the derived class. The thread starts with the first connect().
//
// Threads: the message thread calls the public operations and gets every timer
// expiry; the MIDI driver's thread only queues what it receives; "MidiProcessing"
// takes it out, dumps it to the log and hands it on, and may send. Every state
// transition happens under the state lock, and no lock of the link is held
// while a hook is called, so a hook that reaches a listener may see the link
// deleted. The dump of a received message is written with no lock of the link
// held at all; while the thread works through a burst of messages, its log
// lines reach the file together when the queue runs dry.
//
// A derived class must call stopProcessing() first in its destructor, so that
// no driver callback, timer or hook reaches a half-destroyed object.
class Midi : public juce::Component,
             public juce::MidiInputCallback,
             public juce::MultiTimer,
             public AppLogger
{
public:
    enum ConnectionState
    {
        STATE_DISCONNECTED = 0,
        STATE_TRY_PRESET,
        STATE_SCANNING,
        STATE_CONNECTED
    };

    enum ConnectCode
    {
        CONNECT_OK = 0,
        CONNECT_NO_INPUT,
        CONNECT_NO_OUTPUT,
        CONNECT_NOT_FOUND,
        CONNECT_OUT_OF_DATE
    };

    enum TimerIndex
    {
        CONNECT_TIMER = 0,
        PING_TIMER = 1
    };

    static constexpr int connectPeriodMs = 500;
    static constexpr int pingPeriodMs = 1500;
    static constexpr long long maxInitialLogFileSize = 131072;

    // Without ports the link uses the system's ports through a device manager.
    Midi (const juce::String& logFile, unsigned char logMask, std::unique_ptr<MidiPorts> ports = {});
    ~Midi() override;

    // The pair that the next search tries first; an index outside the lists
    // simply makes that try fail.
    void setActiveInput (int index);
    void setActiveOutput (int index);
    int getActiveInput() const;
    int getActiveOutput() const;

    // Starts a search when disconnected; the result comes through onConnect.
    void connect();
    // The number of the last search that connect() started. Each result is
    // reported with the number of its search: it may be passed on after a
    // disconnect and a new search, and then no longer concerns the caller.
    int getSearchNumber() const;
    // Stops the timers and closes whatever ports are open.
    void disconnect();

    // Dropped silently while no output is open.
    void sendMidiMessage (const juce::MidiMessage& message);

    int getConnectionState() const;

protected:
    std::atomic<int> connectionState { STATE_DISCONNECTED };

    // Unregisters the input, stops the timers and ends "MidiProcessing": after
    // it no hook is called again. It waits for the thread to finish the message
    // in hand, never killing it; called on the thread itself (a listener
    // deleting the link) it lets the thread end once the call returns. Off the
    // message thread it waits for the message thread to finish any timer
    // expiry of the link. Safe to call more than once.
    void stopProcessing();

    // Hooks run on the message thread or on "MidiProcessing" with no lock of
    // the link held, and must return at once, without waiting for either
    // thread. onDisconnect may delete the link; the others must not.
    // A connect result comes to onSearchResult with the number of its search;
    // unless overridden, that passes the code alone on to onConnect.
    virtual void onSearchResult (int code, int search);
    virtual void onConnect (int code);
    virtual void onDisconnect() = 0;
    virtual juce::MidiMessage createPingRequest() = 0;
    virtual bool checkPingReply (const juce::MidiMessage& message) = 0;
    virtual bool checkIdentifyReply (const juce::MidiMessage& message) = 0;
    virtual bool checkSoftwareVersion (const juce::MidiMessage& message) = 0;
    virtual void decode (const juce::MidiMessage& message) = 0;

private:
    class BufferedMidiInput;
    class ProcessingThread;

    // What a transition has to report once the state lock is released.
    static constexpr int noReport = -1;

    void handleIncomingMidiMessage (juce::MidiInput* source, const juce::MidiMessage& message) override;
    void timerCallback (int timerId) override;

    void startProcessing();
    // Safe from any thread.
    void stopTimers();
    void stopBothTimers();
    void endProcessingThread();
    static void deleteOnceEnded (std::shared_ptr<ProcessingThread> thread);
    int connectSequence();
    int tryPresetPair();
    int scanNextPair();
    void sendIdentifyRequest();
    int endSearchNotFound();
    void closePorts (bool evenWithoutOutput);
    void setDefaultMidiOutput (const juce::MidiDeviceInfo& device);
    bool isOutputOpen();
    void sendPingRequest();
    void report (int code, int search);
    void handleIdentifyReply (const juce::MidiMessage& message, juce::uint32 flushes);
    bool processNextMessage();

    // Every state transition happens under stateLock; sends and output changes
    // exclude each other through outputLock, always taken after stateLock.
    juce::CriticalSection stateLock;
    juce::CriticalSection outputLock;

    std::unique_ptr<MidiPorts> portLayer;
    juce::Array<juce::MidiDeviceInfo> midiInputs;
    int activeInput = -1;
    std::unique_ptr<BufferedMidiInput> bufferedInput;
    std::unique_ptr<ProcessingThread> processingThread;
    juce::Array<juce::MidiDeviceInfo> midiOutputs;
    int activeOutput = -1;
    bool outputOpen = false;
    std::unique_ptr<juce::MidiMessage> pingRequest;
    std::atomic<bool> pingReplyReceived { true };
    std::atomic<int> searchNumber { 0 };
    juce::MidiMessage identifyMessage;
    bool processingStopped = false;

    JUCE_DECLARE_NON_COPYABLE (Midi)
};
