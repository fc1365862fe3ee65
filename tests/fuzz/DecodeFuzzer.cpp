#include "link/MidiVelmor.h"
#include "tests/support/IgnoringLinkListener.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

// Splits arbitrary bytes into MIDI messages, as a driver would hand them on,
// and feeds each one to the link's checks and decoder under the edit channel
// that the input chooses.
namespace
{
constexpr uint8_t sysExStart = 0xF0;
constexpr uint8_t sysExEnd = 0xF7;
constexpr uint8_t maker = 0x7D;
constexpr int editorFrameMinimum = 6;
constexpr unsigned char allLevels = 0x1F;
constexpr int channelCount = 16;
constexpr unsigned char noChannel = 0xFF;

class NoMidiPorts : public MidiPorts
{
public:
    juce::Array<juce::MidiDeviceInfo> getInputs() override { return {}; }
    juce::Array<juce::MidiDeviceInfo> getOutputs() override { return {}; }
    void setInputEnabled (const juce::String&, bool) override {}
    bool isInputEnabled (const juce::String&) override { return false; }
    void addInputCallback (const juce::String&, juce::MidiInputCallback*) override {}
    void removeInputCallback (const juce::String&, juce::MidiInputCallback*) override {}
    void setOutput (const juce::String&) override {}
    bool isOutputOpen() override { return false; }
    void sendNow (const juce::MidiMessage&) override {}
};

class DiscardingLogger : public juce::Logger
{
    void logMessage (const juce::String&) override {}
};

class DiscardingTarget : public juce::MessageListener
{
public:
    // Delivers, and so frees, everything posted so far: a marker goes behind
    // it, and the loop runs until the marker arrives. The loop never waits,
    // since the marker is always pending.
    void deliverPending()
    {
        markerArrived = false;
        postMessage (new juce::Message());

        while (! markerArrived)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (0);
    }

private:
    void handleMessage (const juce::Message& message) override
    {
        if (dynamic_cast<const TypeMessage*> (&message) == nullptr)
            markerArrived = true;
    }

    bool markerArrived = false;
};

class Listener : public IgnoringLinkListener
{
public:
    void onGetMicroPName (MidiVelmor*, unsigned char, unsigned char, const juce::String& name) override { touch (name); }

private:
    // Reading the whole name makes the sanitizers see any bad string.
    static void touch (const juce::String& name) { (void) name.toUTF8().sizeInBytes(); }
};

struct Fixture
{
    Fixture()
    {
        link = std::make_unique<MidiVelmor> ("", allLevels, std::make_unique<NoMidiPorts>());
        juce::Logger::setCurrentLogger (&logger);
        link->messageListener = &target;
        link->addListener (&listener);
    }

    juce::ScopedJuceInitialiser_GUI juceRuntime;
    DiscardingLogger logger;
    DiscardingTarget target;
    Listener listener;
    std::unique_ptr<MidiVelmor> link;
};

std::unique_ptr<Fixture> fixture;

void destroyFixture()
{
    juce::Logger::setCurrentLogger (nullptr);
    fixture.reset();
}

// An editor frame gets its correct checksum, so that the fuzzer reaches the
// command handling without having to guess it.
void fixChecksum (std::vector<uint8_t>& bytes)
{
    if (bytes.size() < editorFrameMinimum + 2 || bytes[1] != maker || bytes.back() != sysExEnd)
        return;

    unsigned int sum = 0;
    for (size_t i = 1; i + 2 < bytes.size(); ++i)
        sum += bytes[i];
    bytes[bytes.size() - 2] = (uint8_t) (~sum & 0x7F);
}

std::vector<juce::MidiMessage> split (const uint8_t* data, size_t size, bool withChecksums)
{
    std::vector<juce::MidiMessage> messages;
    size_t i = 0;
    while (i < size)
    {
        if (data[i] == sysExStart)
        {
            size_t end = i + 1;
            while (end < size && data[end] != sysExEnd)
                ++end;

            std::vector<uint8_t> bytes (data + i, data + std::min (end + 1, size));
            if (bytes.back() != sysExEnd)
                bytes.push_back (sysExEnd);
            if (withChecksums)
                fixChecksum (bytes);

            messages.emplace_back (bytes.data(), (int) bytes.size());
            i = end + 1;
            continue;
        }

        // Stray data bytes travel together; JUCE only builds such a message
        // when it is longer than a channel message.
        if (data[i] < 0x80)
        {
            size_t end = i;
            while (end < size && data[end] < 0x80)
                ++end;
            if (end - i > 3)
                messages.emplace_back (data + i, (int) (end - i));
            i = end;
            continue;
        }

        if (data[i] == sysExEnd)
        {
            messages.emplace_back ((int) sysExEnd, 0.0);
            ++i;
            continue;
        }

        // A status byte without all of its data bytes ends the input.
        const auto length = (size_t) juce::MidiMessage::getMessageLengthFromFirstByte (data[i]);
        if (i + length > size)
            break;

        messages.emplace_back (data + i, (int) length);
        i += length;
    }
    return messages;
}
} // namespace

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    fixture = std::make_unique<Fixture>();
    std::atexit (destroyFixture);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;

    // The first byte chooses whether editor frames get a valid checksum, and
    // the edit channel: one of the sixteen, or none.
    const auto messages = split (data + 1, size - 1, (data[0] & 1) != 0);
    const auto channel = (data[0] >> 1) % (channelCount + 1);
    auto& link = *fixture->link;

    link.editChannel = channel < channelCount ? (unsigned char) channel : noChannel;
    link.clearMicroP();

    for (const auto& message : messages)
    {
        if (link.checkIdentifyReply (message))
            link.checkSoftwareVersion (message);
        if (! link.checkPingReply (message))
            link.decode (message);
    }

    // Freed before the next input, so that the leak check after each input
    // finds nothing of this one still queued.
    fixture->target.deliverPending();
    return 0;
}
