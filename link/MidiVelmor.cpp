// MidiVelmor: construction, the record, the listeners, the editor frame, and the identity and ping checks.
#include "link/MidiVelmor.h"

#include "link/VelmorWire.h"

#include <vector>

using namespace VelmorWire;

namespace
{
constexpr unsigned char pingRequestByte = 0x00;
constexpr unsigned char pingReplyByte = 0x01;

// Orders versions by their first two numbers.
constexpr int versionRank (int major, int minor)
{
    return major * 65536 + minor * 256;
}
} // namespace

MidiVelmor::MidiVelmor (const juce::String& logFile, unsigned char logMask, std::unique_ptr<MidiPorts> midiPorts)
    : Midi (logFile, logMask, std::move (midiPorts)),
      microP (initialMicroPerformance())
{
    // The component's weak reference is made lazily; make it here, before
    // two threads can ask for it at once through their bail-out checkers.
    const juce::Component::BailOutChecker warmUp (this);
}

MidiVelmor::~MidiVelmor()
{
    stopProcessing();
}

ST_MICROPERFORMANCE MidiVelmor::getMicroPCopy() const
{
    const juce::ScopedLock sl (recordLock);
    return microP;
}

void MidiVelmor::clearMicroP()
{
    const juce::ScopedLock sl (recordLock);
    microP = initialMicroPerformance();
}

unsigned char MidiVelmor::getPendingReply() const
{
    const juce::ScopedLock sl (recordLock);
    return pendingReply;
}

unsigned char MidiVelmor::getCurrentBank() const
{
    const juce::ScopedLock sl (recordLock);
    return currentBank;
}

unsigned char MidiVelmor::getCurrentProgram() const
{
    const juce::ScopedLock sl (recordLock);
    return currentProgram;
}

juce::String MidiVelmor::getLastName() const
{
    const juce::ScopedLock sl (recordLock);
    return lastName;
}

void MidiVelmor::addListener (Listener* listener)
{
    listeners.add (listener);
}

void MidiVelmor::removeListener (Listener* listener)
{
    listeners.remove (listener);
}

juce::MidiMessage MidiVelmor::createSysEx (unsigned char command, const unsigned char* payload, int length)
{
    length = juce::jmax (0, length);
    std::vector<unsigned char> buffer { manufacturerId, editorHeader[0], editorHeader[1], editorHeader[2], command };

    if (length > 0)
        buffer.insert (buffer.end(), payload, payload + length);

    bool masked = false;

    for (size_t i = commandIndex; i < buffer.size(); ++i)
    {
        if (buffer[i] > dataMask)
        {
            buffer[i] &= dataMask;
            masked = true;
        }
    }

    if (masked)
        writeToLog ("SysEx data byte above 7 bits masked (Cmd2 = " + juce::String (command) + ")", LOG_ERROR);

    buffer.push_back (checksumOf (buffer.data(), (int) buffer.size()));
    return juce::MidiMessage::createSysExMessage (buffer.data(), (int) buffer.size());
}

juce::String MidiVelmor::getSysExString (const unsigned char* text, int count)
{
    if (count <= 0)
        return {};

    const auto bytes = nameBytesFromText (text, count);
    return decodeName (bytes.getData(), bytes.getSize());
}

juce::MidiMessage MidiVelmor::createPingRequest()
{
    return createSysEx (CMD_PING, &pingRequestByte, 1);
}

bool MidiVelmor::checkPingReply (const juce::MidiMessage& message)
{
    constexpr int pingDataSize = frameOverhead + 1;

    if (! message.isSysEx() || sysExDataSize (message) != pingDataSize)
        return false;

    const auto* d = message.getSysExData();

    if (d[manufacturerIndex] != manufacturerId)
        return false;

    if (checksumOf (d, pingDataSize - 1) != d[pingDataSize - 1])
    {
        writeToLog ("ZELTRONA SysEx checksum error", LOG_ERROR);
        return false;
    }

    if (! hasEditorHeader (d) || d[commandIndex] != CMD_PING)
        return false;

    return d[payloadIndex] == pingReplyByte;
}

bool MidiVelmor::checkIdentifyReply (const juce::MidiMessage& message)
{
    if (! message.isSysEx() || sysExDataSize (message) != IdentityReply::size)
        return false;

    const auto* d = message.getSysExData();

    return std::memcmp (d + IdentityReply::header, identityReplyHeader, sizeof (identityReplyHeader)) == 0
           && d[IdentityReply::manufacturer] == manufacturerId
           && d[IdentityReply::familyHigh] == deviceFamily
           && d[IdentityReply::memberLow] == familyMember
           && (d[IdentityReply::flags] & identityFlagsMarker) != 0;
}

bool MidiVelmor::checkSoftwareVersion (const juce::MidiMessage& message)
{
    if (! message.isSysEx() || sysExDataSize (message) != IdentityReply::size)
        return false;

    const auto* d = message.getSysExData();
    const auto oldest = versionRank (oldestAcceptedSoftware.major, oldestAcceptedSoftware.minor);

    return versionRank (d[IdentityReply::major], d[IdentityReply::minor]) >= oldest
           && (d[IdentityReply::flags] & identityFlagsValueMask) == identityFlagsValue;
}
