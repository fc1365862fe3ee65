#include "link/Midi.h"

#include "link/BufferedMidiInput.h"
#include "link/DeviceManagerMidiPorts.h"

namespace
{
// Universal non-real-time identity request, device id 0.
constexpr juce::uint8 identifyRequest[] = { 0xF0, 0x7E, 0x00, 0x06, 0x01, 0xF7 };
} // namespace

Midi::Midi (const juce::String& logFile, unsigned char logMask, std::unique_ptr<MidiPorts> midiPorts)
    : juce::Thread ("MidiProcessing"),
      AppLogger (logFile, maxInitialLogFileSize),
      portLayer (midiPorts != nullptr ? std::move (midiPorts) : std::make_unique<DeviceManagerMidiPorts>()),
      bufferedInput (std::make_unique<BufferedMidiInput> (this)),
      identifyMessage (identifyRequest, static_cast<int> (sizeof (identifyRequest)))
{
    setLogLevel (logMask);
}

Midi::~Midi()
{
    stopProcessing();

    // Still open when the owner destroys the link without disconnecting it.
    const juce::ScopedLock sl (stateLock);
    bufferedInput->close();
}

void Midi::startProcessing()
{
    // Started here rather than by the constructor: a thread started there
    // would run while the derived class is still being built.
    if (! processingStopped && ! isThreadRunning())
        startThread (juce::Thread::Priority::background);
}

void Midi::stopProcessing()
{
    processingStopped = true;
    stopTimer (CONNECT_TIMER);
    stopTimer (PING_TIMER);
    stopThread (stopTimeoutMs);
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

void Midi::connect()
{
    const juce::ScopedLock sl (stateLock);

    if (connectionState != STATE_DISCONNECTED)
        return;

    startProcessing();
    connectSequence();
}

void Midi::disconnect()
{
    const juce::ScopedLock sl (stateLock);
    stopTimer (CONNECT_TIMER);
    stopTimer (PING_TIMER);

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

void Midi::connectSequence()
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
                onConnect (CONNECT_NO_INPUT);
                return;
            }

            if (midiOutputs.isEmpty())
            {
                writeToLog ("Midi Output device not found!", LOG_WARNING);
                onConnect (CONNECT_NO_OUTPUT);
                return;
            }

            connectionState = STATE_TRY_PRESET;
            tryPresetPair();
            return;

        case STATE_TRY_PRESET:
            tryPresetPair();
            return;

        case STATE_SCANNING:
            scanNextPair();
            return;

        default:
            return;
    }
}

void Midi::tryPresetPair()
{
    // An index outside the lists gives a device without identifier, which opens nothing.
    setDefaultMidiOutput (midiOutputs[activeOutput]);

    if (isOutputOpen() && bufferedInput->open (midiInputs[activeInput]))
    {
        sendIdentifyRequest();
        return;
    }

    activeInput = -1;
    activeOutput = -1;
    connectionState = STATE_SCANNING;
    scanNextPair();
}

void Midi::scanNextPair()
{
    // Output by output, and for each output that opens input by input,
    // resuming after the pair last tried.
    bool nextOutput = activeInput == -1;

    for (;;)
    {
        if (nextOutput)
        {
            if (++activeOutput >= midiOutputs.size())
            {
                endSearchNotFound();
                return;
            }

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
            return;
        }
    }
}

void Midi::endSearchNotFound()
{
    // Closing the last pair keeps a late identity reply from connecting the
    // link through indices that no longer name a pair.
    closePorts (false);
    connectionState = STATE_DISCONNECTED;
    onConnect (CONNECT_NOT_FOUND);
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
        notify();
    }
    else
    {
        writeToLog ("Received unexpected MidiMessage while Velmorpiano is isDisconnected!", LOG_ERROR);
    }
}

void Midi::timerCallback (int timerId)
{
    const juce::ScopedLock sl (stateLock);
    stopTimer (timerId);

    if (timerId == CONNECT_TIMER)
    {
        // The pair tried gave no answer; a reply handled meanwhile has changed
        // the state, and then nothing more happens here.
        if (connectionState == STATE_TRY_PRESET)
        {
            activeInput = -1;
            activeOutput = -1;
            connectionState = STATE_SCANNING;
        }

        if (connectionState == STATE_SCANNING)
            connectSequence();
    }
    else if (timerId == PING_TIMER && connectionState == STATE_CONNECTED)
    {
        if (pingReplyReceived.exchange (false))
        {
            sendPingRequest();
            return;
        }

        writeToLog ("Device connection lost (Ping Period Timeout)", LOG_ERROR);
        disconnect();
        onDisconnect();
    }
}

void Midi::run()
{
    while (! threadShouldExit())
    {
        wait (-1);

        // Checked between messages, so that stopProcessing ends the loop
        // before the derived class goes.
        while (! threadShouldExit() && processNextMessage())
        {
        }
    }
}

bool Midi::processNextMessage()
{
    juce::MidiMessage message;
    unsigned int arrivalTime = 0;

    {
        // While searching, a message is taken and judged within one
        // transition: closing an input flushes its queue under the same lock,
        // so a reply to a try that the search has moved past never connects.
        const juce::ScopedLock sl (stateLock);

        if (! bufferedInput->fifo.get (message, arrivalTime))
            return false;

        writeToLog (message, true);
        const int state = connectionState;

        if (state == STATE_TRY_PRESET || state == STATE_SCANNING)
        {
            if (checkIdentifyReply (message))
                handleIdentifyReply (message);

            return true;
        }

        if (state != STATE_CONNECTED)
            return true;
    }

    if (checkPingReply (message))
        pingReplyReceived = true;
    else
        decode (message);

    return true;
}

void Midi::handleIdentifyReply (const juce::MidiMessage& message)
{
    stopTimer (CONNECT_TIMER);

    if (checkSoftwareVersion (message))
    {
        connectionState = STATE_CONNECTED;
        sendPingRequest();
        onConnect (CONNECT_OK);
        // A full period from the report on.
        startTimer (PING_TIMER, pingPeriodMs);
        return;
    }

    writeToLog ("Device out of date!", LOG_WARNING);
    connectionState = STATE_DISCONNECTED;
    onConnect (CONNECT_OUT_OF_DATE);
}
