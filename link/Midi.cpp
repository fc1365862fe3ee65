#include "link/Midi.h"

#include "link/BetweenMessages.h"
#include "link/BufferedMidiInput.h"
#include "link/DeviceManagerMidiPorts.h"
#include "link/ProcessingThread.h"

namespace
{
// Universal non-real-time identity request, device id 0.
constexpr juce::uint8 identifyRequest[] = { 0xF0, 0x7E, 0x00, 0x06, 0x01, 0xF7 };
} // namespace

Midi::Midi (const juce::String& logFile, unsigned char logMask, std::unique_ptr<MidiPorts> midiPorts)
    : AppLogger (logFile, maxInitialLogFileSize),
      portLayer (midiPorts != nullptr ? std::move (midiPorts) : std::make_unique<DeviceManagerMidiPorts>()),
      bufferedInput (std::make_unique<BufferedMidiInput> (this)),
      processingThread (std::make_unique<ProcessingThread> (*this)),
      identifyMessage (identifyRequest, static_cast<int> (sizeof (identifyRequest)))
{
    setLogLevel (logMask);
}

Midi::~Midi()
{
    stopProcessing();
}

void Midi::startProcessing()
{
    // Started here rather than by the constructor: a thread started there
    // would run while the derived class is still being built.
    if (! processingStopped && ! processingThread->isThreadRunning())
        processingThread->startThread (juce::Thread::Priority::background);
}

void Midi::stopProcessing()
{
    {
        // First, so that the driver's thread calls into nothing that goes.
        const juce::ScopedLock sl (stateLock);

        if (processingStopped)
            return;

        processingStopped = true;
        bufferedInput->close();
    }

    stopTimers();
    endProcessingThread();
}

void Midi::stopTimers()
{
    // An expiry may be under way on the message thread; stopped between two
    // of its messages, none runs now and none starts afterwards.
    callBetweenMessages ([this]
                         { stopBothTimers(); });
}

void Midi::stopBothTimers()
{
    stopTimer (CONNECT_TIMER);
    stopTimer (PING_TIMER);
}

void Midi::endProcessingThread()
{
    if (processingThread == nullptr)
        return;

    if (juce::Thread::getCurrentThread() != processingThread.get())
    {
        // Never killed: a thread killed while it holds a lock takes the
        // process down with it, and each message is handled in bounded time.
        processingThread->stopThread (-1);
        return;
    }

    // Ended from one of its own calls: the thread stops once that call
    // returns, and is deleted afterwards on the message thread.
    processingThread->signalThreadShouldExit();
    deleteOnceEnded (std::move (processingThread));
}

void Midi::deleteOnceEnded (std::shared_ptr<ProcessingThread> thread)
{
    // Looks again a little later rather than waiting, which would hold up
    // the message thread.
    juce::Timer::callAfterDelay (1, [thread]
                                 {
                                     if (thread->isThreadRunning())
                                         deleteOnceEnded (thread); });
}

void Midi::setActiveInput (int index)
{
    activeInput = index;
}

void Midi::setActiveOutput (int index)
{
    activeOutput = index;
}

int Midi::getActiveInput() const
{
    return activeInput;
}

int Midi::getActiveOutput() const
{
    return activeOutput;
}

int Midi::getConnectionState() const
{
    return connectionState;
}

int Midi::getSearchNumber() const
{
    return searchNumber;
}

void Midi::connect()
{
    int code = noReport;
    int search = 0;

    {
        const juce::ScopedLock sl (stateLock);

        if (connectionState != STATE_DISCONNECTED || processingStopped)
            return;

        startProcessing();
        search = ++searchNumber;
        code = connectSequence();
    }

    report (code, search);
}

void Midi::report (int code, int search)
{
    if (code != noReport)
        onSearchResult (code, search);
}

void Midi::onSearchResult (int code, int)
{
    onConnect (code);
}

void Midi::onConnect (int)
{
}

void Midi::disconnect()
{
    const juce::ScopedLock sl (stateLock);
    stopBothTimers();

    const bool wasDisconnected = connectionState == STATE_DISCONNECTED;

    if (! wasDisconnected)
        writeToLog ("Velmor piano is disconnected!", LOG_ERROR);

    // Ports left open by a refused identity reply are closed too.
    closePorts (! wasDisconnected);
    connectionState = STATE_DISCONNECTED;
}

void Midi::closePorts (bool evenWithoutOutput)
{
    activeOutput = -1;

    if (evenWithoutOutput || isOutputOpen())
        setDefaultMidiOutput ({});

    activeInput = -1;
    bufferedInput->close();
}

void Midi::sendMidiMessage (const juce::MidiMessage& message)
{
    const juce::ScopedLock sl (outputLock);

    if (! outputOpen)
        return;

    writeToLog (message, false);
    portLayer->sendNow (message);
}

int Midi::connectSequence()
{
    switch (connectionState)
    {
        case STATE_DISCONNECTED:
            stopTimer (PING_TIMER);
            midiInputs = portLayer->getInputs();
            midiOutputs = portLayer->getOutputs();

            if (midiInputs.isEmpty())
            {
                writeToLog ("Midi Input device not found!", LOG_WARNING);
                return CONNECT_NO_INPUT;
            }

            if (midiOutputs.isEmpty())
            {
                writeToLog ("Midi Output device not found!", LOG_WARNING);
                return CONNECT_NO_OUTPUT;
            }

            connectionState = STATE_TRY_PRESET;
            return tryPresetPair();

        case STATE_TRY_PRESET:
            return tryPresetPair();

        case STATE_SCANNING:
            return scanNextPair();

        default:
            return noReport;
    }
}

int Midi::tryPresetPair()
{
    // An index outside the lists gives a device without identifier, which opens nothing.
    setDefaultMidiOutput (midiOutputs[activeOutput]);

    if (isOutputOpen() && bufferedInput->open (midiInputs[activeInput]))
    {
        sendIdentifyRequest();
        return noReport;
    }

    activeInput = -1;
    activeOutput = -1;
    connectionState = STATE_SCANNING;
    return scanNextPair();
}

int Midi::scanNextPair()
{
    // Output by output, and for each output that opens input by input,
    // resuming after the pair last tried.
    bool nextOutput = activeInput == -1;

    for (;;)
    {
        if (nextOutput)
        {
            if (++activeOutput >= midiOutputs.size())
                return endSearchNotFound();

            setDefaultMidiOutput (midiOutputs[activeOutput]);

            if (! isOutputOpen())
                continue;

            nextOutput = false;
        }

        if (++activeInput >= midiInputs.size())
        {
            activeInput = -1;
            nextOutput = true;
            continue;
        }

        if (bufferedInput->open (midiInputs[activeInput]))
        {
            sendIdentifyRequest();
            return noReport;
        }
    }
}

int Midi::endSearchNotFound()
{
    // Closing the last pair keeps a late identity reply from connecting the
    // link through indices that no longer name a pair.
    closePorts (false);
    connectionState = STATE_DISCONNECTED;
    return CONNECT_NOT_FOUND;
}

void Midi::sendIdentifyRequest()
{
    sendMidiMessage (identifyMessage);
    startTimer (CONNECT_TIMER, connectPeriodMs);
}

void Midi::setDefaultMidiOutput (const juce::MidiDeviceInfo& device)
{
    bool isOpen = false;

    {
        const juce::ScopedLock sl (outputLock);
        portLayer->setOutput (device.identifier);
        outputOpen = portLayer->isOutputOpen();
        isOpen = outputOpen;
    }

    if (isOpen)
        writeToLog ("[" + device.name + "] set as default Midi Output device", LOG_INFO);
    else if (device.identifier.isNotEmpty())
        writeToLog ("[" + device.name + "] Midi Output open failed!", LOG_ERROR);
    else
        writeToLog ("No Midi Output device selected", LOG_ERROR);
}

bool Midi::isOutputOpen()
{
    const juce::ScopedLock sl (outputLock);
    return outputOpen;
}

void Midi::sendPingRequest()
{
    if (pingRequest == nullptr)
        pingRequest = std::make_unique<juce::MidiMessage> (createPingRequest());

    juce::Logger::writeToLog ("Ping request");
    sendMidiMessage (*pingRequest);
    startTimer (PING_TIMER, pingPeriodMs);
}

void Midi::handleIncomingMidiMessage (juce::MidiInput*, const juce::MidiMessage& message)
{
    // Runs under the driver's callback lock, which closing the input takes
    // too: nothing here may wait for the link's own locks.
    if (connectionState != STATE_DISCONNECTED)
    {
        bufferedInput->addEvent (message);
        processingThread->notify();
    }
    else
    {
        writeToLog ("Received unexpected MidiMessage while Velmorpiano is isDisconnected!", LOG_ERROR);
    }
}

void Midi::timerCallback (int timerId)
{
    int code = noReport;
    int search = 0;
    bool lost = false;

    {
        const juce::ScopedLock sl (stateLock);
        stopTimer (timerId);

        if (timerId == CONNECT_TIMER)
        {
            // The pair tried gave no answer; a reply handled meanwhile has
            // changed the state, and then nothing more happens here.
            if (connectionState == STATE_TRY_PRESET)
            {
                activeInput = -1;
                activeOutput = -1;
                connectionState = STATE_SCANNING;
            }

            if (connectionState == STATE_SCANNING)
            {
                search = searchNumber;
                code = connectSequence();
            }
        }
        else if (timerId == PING_TIMER && connectionState == STATE_CONNECTED)
        {
            if (pingReplyReceived.exchange (false))
            {
                sendPingRequest();
            }
            else
            {
                writeToLog ("Device connection lost (Ping Period Timeout)", LOG_ERROR);
                disconnect();
                lost = true;
            }
        }
    }

    // Last, and with no lock held: a listener told of the loss may delete the link.
    if (lost)
        onDisconnect();
    else
        report (code, search);
}

bool Midi::processNextMessage()
{
    juce::MidiMessage message;
    unsigned int arrivalTime = 0;
    juce::uint32 flushes = 0;

    if (! bufferedInput->fifo.get (message, arrivalTime, flushes))
    {
        writeDeferredLines();
        return false;
    }

    const int state = connectionState;

    // Written with no lock of the link held: the dump of a large SysEx takes
    // a while, and the message thread must never wait for it.
    writeToLog (message, true);

    if (state == STATE_TRY_PRESET || state == STATE_SCANNING)
    {
        if (checkIdentifyReply (message))
            handleIdentifyReply (message, flushes);
    }
    else if (state == STATE_CONNECTED)
    {
        if (checkPingReply (message))
            pingReplyReceived = true;
        else
            decode (message);
    }

    return true;
}

void Midi::handleIdentifyReply (const juce::MidiMessage& message, juce::uint32 flushes)
{
    int code = noReport;
    int search = 0;

    {
        const juce::ScopedLock sl (stateLock);

        // Since the reply was taken out, the search may have moved on and
        // closed the input it came from, flushing the queue: such a reply
        // belongs to a try that is over and connects nothing.
        const bool searching = connectionState == STATE_TRY_PRESET || connectionState == STATE_SCANNING;

        if (! searching || flushes != bufferedInput->fifo.getFlushCount())
            return;

        stopTimer (CONNECT_TIMER);
        search = searchNumber;

        if (checkSoftwareVersion (message))
        {
            connectionState = STATE_CONNECTED;
            sendPingRequest();
            code = CONNECT_OK;
        }
        else
        {
            writeToLog ("Device out of date!", LOG_WARNING);
            connectionState = STATE_DISCONNECTED;
            code = CONNECT_OUT_OF_DATE;
        }
    }

    // Past the lock a disconnect and a new search may come before the report:
    // the search number tells this result from the new search's.
    report (code, search);

    if (code == CONNECT_OK)
    {
        // A full period from the report on.
        const juce::ScopedLock sl (stateLock);

        if (connectionState == STATE_CONNECTED)
            startTimer (PING_TIMER, pingPeriodMs);
    }
}
