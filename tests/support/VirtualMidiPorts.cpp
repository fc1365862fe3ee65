#include "VirtualMidiPorts.h"

namespace
{
constexpr auto identifierPrefix = "virtual:";

juce::Array<juce::MidiDeviceInfo> devicesFor (const juce::StringArray& names)
{
    juce::Array<juce::MidiDeviceInfo> devices;

    for (const auto& name : names)
        devices.add ({ name, VirtualMidiPorts::identifierFor (name) });

    return devices;
}
} // namespace

VirtualMidiPorts::VirtualMidiPorts (juce::StringArray inputPortNames, juce::StringArray outputPortNames)
    : inputNames (std::move (inputPortNames)),
      outputNames (std::move (outputPortNames)),
      deliveryThread ([this]
                      { deliveryLoop(); })
{
}

VirtualMidiPorts::~VirtualMidiPorts()
{
    {
        const std::lock_guard<std::mutex> lock (mutex);
        stopping = true;
    }

    deliveriesChanged.notify_all();
    deliveryThread.join();
}

juce::String VirtualMidiPorts::identifierFor (const juce::String& portName)
{
    return identifierPrefix + portName;
}

juce::String VirtualMidiPorts::nameFor (const juce::String& identifier)
{
    return identifier.startsWith (identifierPrefix) ? identifier.fromFirstOccurrenceOf (identifierPrefix, false, false)
                                                    : juce::String();
}

juce::Array<juce::MidiDeviceInfo> VirtualMidiPorts::getInputs()
{
    return devicesFor (inputNames);
}

juce::Array<juce::MidiDeviceInfo> VirtualMidiPorts::getOutputs()
{
    return devicesFor (outputNames);
}

void VirtualMidiPorts::setInputEnabled (const juce::String& identifier, bool enabled)
{
    const std::lock_guard<std::recursive_mutex> callbackLock (callbackMutex);
    const std::lock_guard<std::mutex> lock (mutex);
    const auto name = nameFor (identifier);

    if (! inputNames.contains (name))
        return;

    if (enabled && failingPorts.contains (name))
        return;

    inputs[name].enabled = enabled;
}

bool VirtualMidiPorts::isInputEnabled (const juce::String& identifier)
{
    const std::lock_guard<std::mutex> lock (mutex);
    const auto found = inputs.find (nameFor (identifier));
    return found != inputs.end() && found->second.enabled;
}

void VirtualMidiPorts::addInputCallback (const juce::String& identifier, juce::MidiInputCallback* callback)
{
    const std::lock_guard<std::mutex> lock (mutex);
    const auto name = nameFor (identifier);

    if (inputNames.contains (name))
        inputs[name].callback = callback;
}

void VirtualMidiPorts::removeInputCallback (const juce::String& identifier, juce::MidiInputCallback* callback)
{
    const std::lock_guard<std::recursive_mutex> callbackLock (callbackMutex);
    const std::lock_guard<std::mutex> lock (mutex);
    const auto found = inputs.find (nameFor (identifier));

    if (found != inputs.end() && found->second.callback == callback)
        found->second.callback = nullptr;
}

VirtualMidiPorts::OutputCall::OutputCall (VirtualMidiPorts& owner) : ports (owner)
{
    if (ports.outputCallsRunning.fetch_add (1) != 0)
        ++ports.overlappingOutputCalls;

    // Widens the window in which an unguarded caller would overlap.
    std::this_thread::yield();
}

VirtualMidiPorts::OutputCall::~OutputCall()
{
    --ports.outputCallsRunning;
}

int VirtualMidiPorts::getOverlappingOutputCalls() const
{
    return overlappingOutputCalls;
}

void VirtualMidiPorts::setOutput (const juce::String& identifier)
{
    const OutputCall call (*this);
    const std::lock_guard<std::mutex> lock (mutex);

    // Like the device manager: asking for the port already open changes nothing.
    if (identifier == heldOutputIdentifier)
        return;

    heldOutputIdentifier = identifier;
    const auto name = nameFor (identifier);
    openOutputName = outputNames.contains (name) && ! failingPorts.contains (name) ? name : juce::String();

    if (openOutputName.isEmpty())
        heldOutputIdentifier = {};
}

bool VirtualMidiPorts::isOutputOpen()
{
    const OutputCall call (*this);
    const std::lock_guard<std::mutex> lock (mutex);
    return openOutputName.isNotEmpty();
}

void VirtualMidiPorts::sendNow (const juce::MidiMessage& message)
{
    std::function<void (const juce::String&, const juce::MidiMessage&)> observer;
    juce::String outputName;

    {
        const OutputCall call (*this);
        const std::lock_guard<std::mutex> lock (mutex);

        if (openOutputName.isEmpty())
            return;

        outputName = openOutputName;
        observer = sendObserver;
        sentMessages.push_back ({ outputName, message, juce::Time::getMillisecondCounterHiRes() });
    }

    // Outside the lock: the observer may deliver an answer at once.
    if (observer)
        observer (outputName, message);
}

void VirtualMidiPorts::setFailsToOpen (const juce::String& portName, bool fails)
{
    const std::lock_guard<std::mutex> lock (mutex);

    if (fails)
        failingPorts.addIfNotAlreadyThere (portName);
    else
        failingPorts.removeString (portName);
}

void VirtualMidiPorts::deliver (const juce::String& inputName, const juce::MidiMessage& message)
{
    {
        const std::lock_guard<std::mutex> lock (mutex);
        pendingDeliveries.push_back ({ inputName, message });
    }

    deliveriesChanged.notify_all();
}

void VirtualMidiPorts::waitUntilDelivered()
{
    std::unique_lock<std::mutex> lock (mutex);
    deliveriesChanged.wait (lock, [this]
                            { return pendingDeliveries.empty() && ! deliveryInProgress; });
}

void VirtualMidiPorts::deliveryLoop()
{
    for (;;)
    {
        Delivery delivery;

        {
            std::unique_lock<std::mutex> lock (mutex);
            deliveriesChanged.wait (lock, [this]
                                    { return stopping || ! pendingDeliveries.empty(); });

            if (stopping)
                return;

            delivery = std::move (pendingDeliveries.front());
            pendingDeliveries.pop_front();
            deliveryInProgress = true;
        }

        {
            // Closing an input waits for this lock, so no callback runs or
            // starts once the input is closed.
            const std::lock_guard<std::recursive_mutex> callbackLock (callbackMutex);
            juce::MidiInputCallback* callback = nullptr;

            {
                const std::lock_guard<std::mutex> lock (mutex);
                const auto found = inputs.find (delivery.inputName);

                if (found != inputs.end() && found->second.enabled)
                    callback = found->second.callback;
            }

            if (callback != nullptr)
                callback->handleIncomingMidiMessage (nullptr, delivery.message);
        }

        {
            const std::lock_guard<std::mutex> lock (mutex);
            deliveryInProgress = false;
        }

        deliveriesChanged.notify_all();
    }
}

void VirtualMidiPorts::setSendObserver (
    std::function<void (const juce::String& outputName, const juce::MidiMessage&)> observer)
{
    const std::lock_guard<std::mutex> lock (mutex);
    sendObserver = std::move (observer);
}

std::vector<VirtualMidiPorts::SentMessage> VirtualMidiPorts::getSentMessages() const
{
    const std::lock_guard<std::mutex> lock (mutex);
    return sentMessages;
}

void VirtualMidiPorts::clearSentMessages()
{
    const std::lock_guard<std::mutex> lock (mutex);
    sentMessages.clear();
}

void VirtualMidiPorts::unplug (const juce::String& inputName)
{
    const std::lock_guard<std::mutex> lock (mutex);
    const auto found = inputs.find (inputName);

    if (found != inputs.end())
        found->second.enabled = false;

    failingPorts.addIfNotAlreadyThere (inputName);
}

bool VirtualMidiPorts::hasInputCallback (const juce::String& inputName) const
{
    const std::lock_guard<std::mutex> lock (mutex);
    const auto found = inputs.find (inputName);
    return found != inputs.end() && found->second.callback != nullptr;
}

bool VirtualMidiPorts::isInputOpen (const juce::String& inputName) const
{
    const std::lock_guard<std::mutex> lock (mutex);
    const auto found = inputs.find (inputName);
    return found != inputs.end() && found->second.enabled && found->second.callback != nullptr;
}

juce::String VirtualMidiPorts::getOpenOutputName() const
{
    const std::lock_guard<std::mutex> lock (mutex);
    return openOutputName;
}
