#include "link/MidiVelmor.h"

#include <vector>

namespace
{
constexpr unsigned char manufacturerId = 0x7D;
constexpr unsigned char editorHeader[] = { 0x1C, 0x20, 0x01 };
constexpr int headerSize = 5; // manufacturer, editor header, command
constexpr int frameOverhead = headerSize + 1; // and the checksum
constexpr unsigned char dataMask = 0x7F;
constexpr unsigned char pingRequestByte = 0x00;
constexpr unsigned char pingReplyByte = 0x01;
constexpr unsigned char noIconOnWire = 0x7F;
constexpr int maxPart = 1;
constexpr int maxChannel = 15;
constexpr int nameTextBytes = ST_MICROPERFORMANCE::nameSize - 1;
constexpr int firstKeyNote = 21;
constexpr int lastKeyNote = firstKeyNote + ST_MICROPERFORMANCE::keyCount - 1;
constexpr int onFlagThreshold = 63;
constexpr unsigned char onFlagSent = 64;
constexpr int dumpTablePauseMs = 10;

constexpr int identityReplySize = 13;
constexpr unsigned char identityReplyStart[] = { 0x7E, 0x00, 0x06, 0x02, 0x7D };
constexpr unsigned char familyHigh = 0x1C;
constexpr unsigned char memberLow = 0x20;
constexpr unsigned char flagsMarker = 0x40;
constexpr unsigned char flagsValueMask = 0x3F;
constexpr unsigned char flagsExpected = 8;
constexpr int oldestRefusedVersion = 0x103FF;

constexpr int ccBankSelect = 0;
constexpr int ccDataEntry = 6;
constexpr int ccVolume = 7;
constexpr int ccPan = 10;
constexpr int ccReverbSend = 91;
constexpr int ccChorusSend = 93;
constexpr int ccNrpnParam = 98;
constexpr int ccNrpnGroup = 99;

// Smallest data size of a received command that decode reads, checksum
// included, before its counted part (per-key values, name text).
int minimumDataSize (int command)
{
    switch (command)
    {
        case MidiVelmor::CMD_SET_TRACK_PARAMETER:
            return 12;
        case MidiVelmor::CMD_MICROP_NAME:
            return 9;
        case MidiVelmor::CMD_PART_MICROP_NAME:
            return 10;
        case MidiVelmor::CMD_LAYER_MODE:
            return 7;
        case MidiVelmor::CMD_PART_PARAMETERS:
            return 16;
        case MidiVelmor::CMD_PART_PEDALS:
            return 14;
        default:
            return frameOverhead;
    }
}

unsigned char checksumOf (const unsigned char* data, int count)
{
    unsigned int sum = 0;

    for (int i = 0; i < count; ++i)
        sum += data[i];

    return (unsigned char) (~sum & dataMask);
}

bool hasEditorHeader (const unsigned char* data)
{
    return data[1] == editorHeader[0] && data[2] == editorHeader[1] && data[3] == editorHeader[2];
}

int sysExDataSize (const juce::MidiMessage& message)
{
    return juce::jmax (0, message.getSysExDataSize());
}

juce::String hex (int value)
{
    return juce::String::toHexString (value);
}

// The characters of a name on the wire: one byte per pair of nibbles, NULs dropped.
juce::MemoryBlock nameBytesFromText (const unsigned char* text, int count)
{
    juce::MemoryBlock bytes;

    for (int i = 0; i < count; ++i)
    {
        const auto c = (unsigned char) (((text[2 * i] << 4) | text[2 * i + 1]) & 0xFF);

        if (c != 0)
            bytes.append (&c, 1);
    }

    return bytes;
}

// Names come from the instrument and from files: invalid UTF-8 is taken byte
// for byte rather than trusted.
juce::String stringFromNameBytes (const juce::MemoryBlock& bytes)
{
    const auto* data = static_cast<const char*> (bytes.getData());
    const auto size = (int) bytes.getSize();

    if (juce::CharPointer_UTF8::isValidString (data, size))
        return juce::String::fromUTF8 (data, size);

    juce::String result;

    for (int i = 0; i < size; ++i)
        result += (juce::juce_wchar) (unsigned char) data[i];

    return result;
}

// Writes at most 19 bytes of text and a NUL padding into the name field,
// never cutting a UTF-8 character in two.
void storeName (ST_MICROPERFORMANCE& record, const char* text, int size)
{
    std::memset (record.name, 0, sizeof (record.name));

    auto count = juce::jmin (size, nameTextBytes);

    if (count < size && juce::CharPointer_UTF8::isValidString (text, size))
        while (count > 0 && (((unsigned char) text[count]) & 0xC0) == 0x80)
            --count;

    if (count > 0)
        std::memcpy (record.name, text, (size_t) count);
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

//==============================================================================
void MidiVelmor::setSound (unsigned char channel, unsigned char bank, unsigned char program)
{
    if (channel > maxChannel)
    {
        writeToLog ("Sound not selected: channel " + juce::String (channel) + " out of range", LOG_ERROR);
        return;
    }

    sendMidiMessage (juce::MidiMessage::controllerEvent (channel + 1, ccBankSelect, bank));
    sendMidiMessage (juce::MidiMessage::programChange (channel + 1, program));

    const juce::ScopedLock sl (recordLock);
    currentBank = bank;
    currentProgram = program;
}

void MidiVelmor::setPartParam (unsigned char, unsigned char param, unsigned char value)
{
    if (! isPartParam (param))
        return;

    const juce::ScopedLock sl (recordLock);
    microP.params[param] = value;
}

void MidiVelmor::setPartMicroPName (unsigned char part, juce::String name)
{
    if (part > maxPart)
        return;

    const auto utf8 = name.substring (0, nameTextBytes).toStdString();

    const juce::ScopedLock sl (recordLock);
    storeName (microP, utf8.data(), (int) utf8.size());
}

void MidiVelmor::setPartMicroPIcon (unsigned char part, unsigned char iconId)
{
    if (part > maxPart)
        return;

    const juce::ScopedLock sl (recordLock);
    microP.iconId = iconId;
}

void MidiVelmor::setPartMicroPTemplate (unsigned char part, unsigned char templateId)
{
    if (part > maxPart)
        return;

    const juce::ScopedLock sl (recordLock);
    microP.templateId = templateId;
}

//==============================================================================
void MidiVelmor::sendPartNRPN (unsigned char part, unsigned char group, unsigned char param, unsigned char value)
{
    if (part > maxPart)
        return;

    sendMidiMessage (juce::MidiMessage::controllerEvent (part + 1, ccNrpnGroup, group));
    sendMidiMessage (juce::MidiMessage::controllerEvent (part + 1, ccNrpnParam, param));
    sendMidiMessage (juce::MidiMessage::controllerEvent (part + 1, ccDataEntry, value));
}

void MidiVelmor::sendPartCC (unsigned char part, unsigned char controller, unsigned char value)
{
    if (part > maxPart)
        return;

    sendMidiMessage (juce::MidiMessage::controllerEvent (part + 1, controller, value));
}

void MidiVelmor::sendPartParam (unsigned char part, unsigned char param)
{
    if (! isPartParam (param))
        return;

    unsigned char value;

    {
        const juce::ScopedLock sl (recordLock);
        value = microP.params[param];
    }

    sendPartNRPN (part, NRPN_GROUP_PART, param, value);
}

void MidiVelmor::sendPartMicroPName (unsigned char part)
{
    sendPartMicroPName (getMicroPCopy(), part);
}

void MidiVelmor::sendPartMicroPName (const ST_MICROPERFORMANCE& record, unsigned char part)
{
    if (part > maxPart)
        return;

    unsigned char payload[4 + 2 * ST_MICROPERFORMANCE::nameSize] = { part, record.bank, record.number, ST_MICROPERFORMANCE::nameSize };

    for (int i = 0; i < ST_MICROPERFORMANCE::nameSize; ++i)
    {
        const auto c = (unsigned char) record.name[i];
        payload[4 + 2 * i] = (unsigned char) ((c >> 4) & 0x0F);
        payload[5 + 2 * i] = (unsigned char) (c & 0x0F);
    }

    sendMidiMessage (createSysEx (CMD_PART_MICROP_NAME, payload, (int) sizeof (payload)));
}

void MidiVelmor::sendPartParameters (unsigned char part)
{
    sendPartParameters (getMicroPCopy(), part);
}

void MidiVelmor::sendPartParameters (const ST_MICROPERFORMANCE& record, unsigned char part)
{
    if (part > maxPart)
        return;

    const auto icon = record.iconId == none ? noIconOnWire : record.iconId;
    const unsigned char payload[] = { part,
                                      record.bank,
                                      record.number,
                                      icon,
                                      record.infoBytes[0],
                                      record.infoBytes[1],
                                      record.infoBytes[2],
                                      record.infoBytes[3],
                                      record.templateId,
                                      record.infoByte };

    sendMidiMessage (createSysEx (CMD_PART_PARAMETERS, payload, (int) sizeof (payload)));
}

void MidiVelmor::sendPartPedals (unsigned char part)
{
    sendPartPedals (getMicroPCopy(), part);
}

void MidiVelmor::sendPartPedals (const ST_MICROPERFORMANCE& record, unsigned char part)
{
    if (part > maxPart)
        return;

    unsigned char payload[3 + ST_MICROPERFORMANCE::pedalCount] = { part, record.bank, record.number };
    std::memcpy (payload + 3, record.pedals, sizeof (record.pedals));

    sendMidiMessage (createSysEx (CMD_PART_PEDALS, payload, (int) sizeof (payload)));
}

void MidiVelmor::sendDumpStart (unsigned char flag)
{
    sendMidiMessage (createSysEx (CMD_DUMP_START, &flag, 1));
}

bool MidiVelmor::sendPartTrackParam (unsigned char part, unsigned char gen, unsigned char param, unsigned char flag, unsigned char length, unsigned char start)
{
    return sendPartTrackParam (getMicroPCopy(), part, gen, param, flag, length, start);
}

bool MidiVelmor::sendPartTrackParam (const ST_MICROPERFORMANCE& record, unsigned char part, unsigned char gen, unsigned char param, unsigned char flag, unsigned char length, unsigned char start)
{
    if (part > maxPart || ! isConnected())
        return false;

    if (param >= ST_MICROPERFORMANCE::trackCount || length == 0 || start + length > ST_MICROPERFORMANCE::keyCount)
    {
        writeToLog ("Per-key table not sent: param = " + juce::String (param) + ", length = " + juce::String (length) + ", start = " + juce::String (start), LOG_ERROR);
        return false;
    }

    std::vector<unsigned char> payload { part, gen, param, flag, length, start };
    payload.insert (payload.end(), record.tracks[param] + start, record.tracks[param] + start + length);

    sendMidiMessage (createSysEx (CMD_SET_TRACK_PARAMETER, payload.data(), (int) payload.size()));
    return true;
}

void MidiVelmor::sendPartAll (unsigned char part)
{
    if (part > maxPart)
        return;

    const auto record = getMicroPCopy();

    sendDumpStart (1);
    sendPartMicroPName (record, part);
    sendPartParameters (record, part);
    sendPartPedals (record, part);

    for (unsigned char p = 0; p < ST_MICROPERFORMANCE::paramCount; ++p)
        sendPartNRPN (part, NRPN_GROUP_PART, p, record.params[p]);

    for (unsigned char t = 0; t < ST_MICROPERFORMANCE::trackCount; ++t)
    {
        sendPartTrackParam (record, part, 0, t, 0, ST_MICROPERFORMANCE::keyCount, 0);
        // The instrument needs time to take in each table.
        juce::Time::waitForMillisecondCounter (juce::Time::getMillisecondCounter() + dumpTablePauseMs);
    }

    sendPartNRPNBlocks (record, part);

    sendPartCC (part, ccVolume, record.volume);
    sendPartCC (part, ccPan, record.pan);
    sendPartCC (part, ccChorusSend, record.chorusSend);
    sendPartCC (part, ccReverbSend, record.reverbSend);

    sendDumpStart (0);
}

juce::Array<int> MidiVelmor::block3ParamsToSend (std::int32_t type)
{
    switch (type)
    {
        case 0:
        case 1:
        case 3:
            return { 3, 4, 5, 11 };
        case 2:
        case 5:
            return { 3, 4, 5, 6, 7, 11 };
        case 4:
            return { 3, 4, 5 };
        case 6:
            return { 3, 4, 5, 6, 7, 8, 9, 10 };
        case 7:
            return { 3, 4, 5, 6, 7, 8, 9, 11 };
        case 8:
            return { 3, 4, 5, 6, 7, 8, 11 };
        default:
            return {};
    }
}

void MidiVelmor::sendPartNRPNBlocks (const ST_MICROPERFORMANCE& record, unsigned char part)
{
    auto copy = record;

    const auto sendGroup = [&] (int group, const juce::Array<int>& params)
    {
        for (auto param : params)
        {
            NrpnField field;

            if (! findNrpnField (copy, group, param, field))
                continue;

            unsigned char value = 0;

            if (field.flag != nullptr)
                value = *field.flag != 0 ? onFlagSent : 0;
            else if (field.value != nullptr)
                value = field.valueIsFlag ? (*field.value != 0 ? onFlagSent : 0) : (unsigned char) (*field.value & 0xFF);
            else
                continue;

            sendPartNRPN (part, (unsigned char) group, (unsigned char) param, value);
        }
    };

    sendGroup (1, { 0, 1, 2, 3, 4 });
    sendGroup (2, { 0, 1, 2, 3, 4, 5, 6, 7, 8 });
    sendGroup (3, { 1, 0, 2 });
    sendGroup (3, block3ParamsToSend (copy.nrpnBlock3.slot (1)));
    sendGroup (4, { 0, 2, 3, 4, 5, 6 });
    sendGroup (NRPN_GROUP_MASTER_EFFECT, { 1, 0, 2, 3, 4, 5, 6 });
    sendGroup (7, { 1, 0, 2, 3, 4, 5, 6 });
}

//==============================================================================
bool MidiVelmor::isPartParam (unsigned char param)
{
    if (param < ST_MICROPERFORMANCE::paramCount)
        return true;

    writeToLog ("Part parameter " + juce::String (param) + " out of range", LOG_ERROR);
    return false;
}

bool MidiVelmor::isConnected() const
{
    return connectionState.load() == STATE_CONNECTED;
}

bool MidiVelmor::getLayerMode()
{
    if (! isConnected())
        return false;

    sendMidiMessage (createSysEx (CMD_GET_LAYER_MODE, nullptr, 0));
    return true;
}

bool MidiVelmor::getMicroPNameList (unsigned char bank, unsigned char index)
{
    if (! isConnected())
        return false;

    {
        const juce::ScopedLock sl (recordLock);

        if (pendingReply != none)
            return false;

        pendingReply = CMD_MICROP_NAME;
    }

    const unsigned char payload[] = { bank, index };
    sendMidiMessage (createSysEx (CMD_GET_MICROP_NAME_LIST, payload, (int) sizeof (payload)));
    return true;
}

bool MidiVelmor::getPartMicroPName (unsigned char part)
{
    if (part > maxPart || ! isConnected())
        return false;

    {
        const juce::ScopedLock sl (recordLock);
        pendingReply = CMD_PART_MICROP_NAME;
    }

    sendMidiMessage (createSysEx (CMD_GET_PART_MICROP_NAME, &part, 1));
    return true;
}

bool MidiVelmor::getPartMicroPData (unsigned char part)
{
    if (part > maxPart || ! isConnected())
        return false;

    sendMidiMessage (createSysEx (CMD_GET_PART_MICROP_DATA, &part, 1));
    return true;
}

//==============================================================================
juce::MidiMessage MidiVelmor::createSysEx (unsigned char command, const unsigned char* payload, int length)
{
    length = juce::jmax (0, length);
    std::vector<unsigned char> buffer { manufacturerId, editorHeader[0], editorHeader[1], editorHeader[2], command };

    if (length > 0)
        buffer.insert (buffer.end(), payload, payload + length);

    bool masked = false;

    for (size_t i = headerSize - 1; i < buffer.size(); ++i)
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

    return stringFromNameBytes (nameBytesFromText (text, count));
}

//==============================================================================
void MidiVelmor::onConnect (int result)
{
    {
        const juce::ScopedLock sl (recordLock);
        pendingReply = none;
    }

    sendOnConnect (result);
}

void MidiVelmor::onDisconnect()
{
    sendOnConnectionLost();
}

juce::MidiMessage MidiVelmor::createPingRequest()
{
    return createSysEx (CMD_PING, &pingRequestByte, 1);
}

bool MidiVelmor::checkPingReply (const juce::MidiMessage& message)
{
    constexpr int pingDataSize = 7;

    if (! message.isSysEx() || sysExDataSize (message) != pingDataSize)
        return false;

    const auto* d = message.getSysExData();

    if (d[0] != manufacturerId)
        return false;

    if (checksumOf (d, pingDataSize - 1) != d[pingDataSize - 1])
    {
        writeToLog ("ZELTRONA SysEx checksum error", LOG_ERROR);
        return false;
    }

    if (! hasEditorHeader (d) || d[4] != CMD_PING)
        return false;

    return d[5] == pingReplyByte;
}

bool MidiVelmor::checkIdentifyReply (const juce::MidiMessage& message)
{
    if (! message.isSysEx() || sysExDataSize (message) != identityReplySize)
        return false;

    const auto* d = message.getSysExData();

    return std::memcmp (d, identityReplyStart, sizeof (identityReplyStart)) == 0
           && d[6] == familyHigh
           && d[7] == memberLow
           && (d[12] & flagsMarker) != 0;
}

bool MidiVelmor::checkSoftwareVersion (const juce::MidiMessage& message)
{
    if (! message.isSysEx() || sysExDataSize (message) != identityReplySize)
        return false;

    const auto* d = message.getSysExData();
    const auto version = d[9] * 65536 + d[10] * 256;

    return version > oldestRefusedVersion && (d[12] & flagsValueMask) == flagsExpected;
}

//==============================================================================
void MidiVelmor::decode (const juce::MidiMessage& message)
{
    const auto size = message.getRawDataSize();

    if (size <= 0)
        return;

    const auto* raw = message.getRawData();
    const int status = raw[0];
    const int channel = status & 0x0F;

    if (status == 0xF0)
    {
        decodeSysEx (message);
        return;
    }

    const auto needsBytes = [&] (int count)
    {
        if (size >= count)
            return true;

        writeToLog ("Short message " + hex (status) + " dropped", LOG_ERROR);
        return false;
    };

    switch (status & 0xF0)
    {
        case 0x80:
        case 0x90:
            if (needsBytes (3) && channel == editChannel.load())
                sendOnNote (raw[1], (status & 0xF0) == 0x90 && raw[2] > 0 ? 1 : 0);
            return;

        case 0xB0:
            if (needsBytes (3))
                decodeController (channel, raw[1], raw[2]);
            return;

        case 0xC0:
            if (needsBytes (2))
            {
                unsigned char bank;

                {
                    const juce::ScopedLock sl (recordLock);
                    currentProgram = raw[1];
                    bank = currentBank;
                }

                sendOnSoundChanged ((unsigned char) channel, bank, raw[1]);
            }
            return;

        case 0xA0:
        case 0xD0:
        case 0xE0:
            writeToLog ("Message not handled: " + hex (status) + " (Undefined)", LOG_WARNING);
            return;

        default:
            break;
    }

    switch (status)
    {
        case 0xF9:
            return;
        case 0xF1:
        case 0xF2:
        case 0xF3:
        case 0xF6:
            writeToLog ("System Common " + hex (status) + " not handled", LOG_WARNING);
            return;
        case 0xF8:
        case 0xFA:
        case 0xFB:
        case 0xFC:
        case 0xFE:
        case 0xFF:
            writeToLog ("System Realtime " + hex (status) + " not handled", LOG_WARNING);
            return;
        default:
            writeToLog ("Undefined " + hex (status) + " not handled", LOG_WARNING);
            return;
    }
}

void MidiVelmor::decodeSysEx (const juce::MidiMessage& message)
{
    const auto size = sysExDataSize (message);
    const auto* d = message.getSysExData();

    if (size < 1 || d[0] != manufacturerId)
        return;

    if (size < frameOverhead)
    {
        writeToLog ("Short ZELTRONA SysEx dropped", LOG_ERROR);
        return;
    }

    if (checksumOf (d, size - 1) != d[size - 1])
    {
        writeToLog ("ZELTRONA SysEx checksum error", LOG_ERROR);
        return;
    }

    if (! hasEditorHeader (d))
    {
        writeToLog ("Non-Editor ZELTRONA SysEx", LOG_ERROR);
        return;
    }

    const int command = d[4];

    auto fits = [&] (int needed)
    {
        if (size >= needed)
            return true;

        writeToLog ("Short ZELTRONA SysEx (Cmd2 = " + juce::String (command) + ")", LOG_ERROR);
        return false;
    };

    if (! fits (minimumDataSize (command)))
        return;

    switch (command)
    {
        case 0:
        case CMD_DUMP_START:
            return;

        case CMD_NACK:
        {
            {
                const juce::ScopedLock sl (recordLock);
                pendingReply = none;
            }

            writeToLog ("NACK (Cmd2 = " + juce::String (command) + ")", LOG_ERROR);
            return;
        }

        case CMD_SET_TRACK_PARAMETER:
        {
            const int part = d[5], gen = d[6], param = d[7], length = d[9], start = d[10];

            if (! fits (12 + length))
                return;

            if (param >= ST_MICROPERFORMANCE::trackCount || start + length > ST_MICROPERFORMANCE::keyCount)
            {
                writeToLog ("Bad CMD_SET_TRACK_PARAMETER(part = " + juce::String (part) + ", " + "gen = " + juce::String (gen) + ", " + "param = " + juce::String (param) + ")", LOG_ERROR);
                return;
            }

            {
                const juce::ScopedLock sl (recordLock);
                std::memcpy (microP.tracks[param] + start, d + 11, (size_t) length);
            }

            post (new TrackParamMessage (gen, param, length, start));
            return;
        }

        case CMD_MICROP_NAME:
        {
            const int bank = d[5], index = d[6], count = d[7];

            if (! fits (9 + 2 * count))
                return;

            const auto name = getSysExString (d + 8, count);

            {
                const juce::ScopedLock sl (recordLock);
                lastName = name;
            }

            writeToLog (juce::String (bank) + "-" + juce::String (index) + " " + name, LOG_DEBUG);
            sendOnGetMicroPName ((unsigned char) bank, (unsigned char) index, name);
            return;
        }

        case CMD_PART_MICROP_NAME:
        {
            const int part = d[5], bank = d[6], number = d[7], count = d[8];

            if (! fits (10 + 2 * count))
                return;

            const auto bytes = nameBytesFromText (d + 9, count);
            const auto name = stringFromNameBytes (bytes);

            {
                const juce::ScopedLock sl (recordLock);
                lastName = name;

                if (bank == 0)
                    storeName (microP, static_cast<const char*> (bytes.getData()), (int) bytes.getSize());
            }

            writeToLog ("Part" + juce::String (part) + " - " + juce::String (bank) + "-" + juce::String (number) + " " + name, LOG_DEBUG);
            sendOnGetPartMicroPName ((unsigned char) part, (unsigned char) bank, (unsigned char) number, name);

            const juce::ScopedLock sl (recordLock);
            pendingReply = none;
            return;
        }

        case CMD_LAYER_MODE:
            sendOnGetLayerMode (d[5]);
            return;

        case CMD_PART_PARAMETERS:
        {
            {
                const juce::ScopedLock sl (recordLock);
                microP.bank = d[6];
                microP.number = d[7];
                microP.iconId = d[8];
                std::memcpy (microP.infoBytes, d + 9, sizeof (microP.infoBytes));
                microP.templateId = d[13];
                microP.infoByte = d[14];
            }

            sendOnGetPartParameters (0, d[8], d[13]);
            return;
        }

        case CMD_PART_PEDALS:
        {
            const juce::ScopedLock sl (recordLock);
            std::memcpy (microP.pedals, d + 8, sizeof (microP.pedals));
            return;
        }

        default:
            writeToLog ("Unknown ZELTRONA SysEx (Cmd2 = " + juce::String (command) + ")", LOG_ERROR);
            return;
    }
}

void MidiVelmor::decodeController (int channel, int controller, int value)
{
    if (controller == ccBankSelect)
    {
        const juce::ScopedLock sl (recordLock);
        currentBank = (unsigned char) value;
        return;
    }

    if (controller == CC_CHANGE_MODE)
    {
        sendOnGetChangeMode ((unsigned char) value);
        return;
    }

    switch (controller)
    {
        case ccDataEntry:
        case ccVolume:
        case ccPan:
        case ccReverbSend:
        case ccChorusSend:
        case ccNrpnParam:
        case ccNrpnGroup:
            break;
        default:
            writeToLog ("Controller " + hex (controller) + " not handled", LOG_WARNING);
            return;
    }

    if (channel != editChannel.load())
        return;

    if (controller == ccDataEntry)
    {
        decodeNrpnEntry (value);
        return;
    }

    const juce::ScopedLock sl (recordLock);
    const auto v = (unsigned char) value;

    switch (controller)
    {
        case ccVolume:
            microP.volume = v;
            break;
        case ccPan:
            microP.pan = v;
            break;
        case ccReverbSend:
            microP.reverbSend = v;
            break;
        case ccChorusSend:
            microP.chorusSend = v;
            break;
        case ccNrpnParam:
            nrpnParam = v;
            break;
        case ccNrpnGroup:
            nrpnGroup = v;
            break;
        default:
            break;
    }
}

void MidiVelmor::decodeNrpnEntry (int value)
{
    int group, param;

    {
        const juce::ScopedLock sl (recordLock);
        group = nrpnGroup;
        param = nrpnParam;

        NrpnField field;

        if (! findNrpnField (microP, group, param, field))
        {
            writeToLog ("NRPN " + hex (group) + ":" + hex (param) + " out of range", LOG_ERROR);
            return;
        }

        const auto asFlag = (unsigned char) (value > onFlagThreshold ? 1 : 0);

        if (field.byte != nullptr)
            *field.byte = (unsigned char) value;
        else if (field.flag != nullptr)
            *field.flag = asFlag;
        else if (field.value != nullptr)
            *field.value = field.valueIsFlag ? asFlag : value;
    }

    if (group == NRPN_GROUP_PART)
        sendOnParamChanged ((unsigned char) param, (unsigned char) value);
    else if (group == NRPN_GROUP_KEY_TUNING)
        post (new TrackParamMessage (0, 0, 1, param - firstKeyNote));
    else if (group == NRPN_GROUP_MASTER_EFFECT)
        juce::Logger::writeToLog ("Master effect: " + juce::String (param) + "," + juce::String (value));
}

bool MidiVelmor::findNrpnField (ST_MICROPERFORMANCE& record, int group, int param, NrpnField& field)
{
    const auto inRange = [param] (int first, int last)
    { return param >= first && param <= last; };

    switch (group)
    {
        case NRPN_GROUP_PART:
            if (! inRange (0, ST_MICROPERFORMANCE::paramCount - 1))
                return false;
            field.byte = &record.params[param];
            return true;

        case 1:
            if (! inRange (0, 4))
                return false;
            if (param == 0)
                field.flag = &record.nrpnBlock1.on;
            else
                field.value = &record.nrpnBlock1.params[param - 1];
            return true;

        case 2:
            if (! inRange (0, 8))
                return false;
            if (param == 0)
                field.flag = &record.nrpnBlock2.on;
            else if (param == 1)
                field.value = &record.nrpnBlock2.param1;
            else
                field.value = &record.nrpnBlock2.params[param - 2];
            return true;

        case 3:
        {
            if (! inRange (0, 13))
                return false;

            auto& block = record.nrpnBlock3;
            const auto type = block.slot (1);

            if (param == 0)
            {
                field.flag = &block.on;
            }
            else if (param == 11)
            {
                // Where param 11 lives depends on the effect type.
                switch (type)
                {
                    case 0:
                    case 1:
                    case 3:
                        field.value = &block.slot (6);
                        break;
                    case 2:
                    case 5:
                        field.value = &block.slot (8);
                        break;
                    case 7:
                        field.value = &block.slot (10);
                        break;
                    case 8:
                        field.value = &block.slot (9);
                        break;
                    default:
                        break;
                }
            }
            else
            {
                field.value = &block.slot (param);
                field.valueIsFlag = (type == 8 && (param == 6 || param == 8)) || (type == 6 && param == 9);
            }
            return true;
        }

        case 4:
            if (! inRange (0, 6))
                return false;
            if (param == 0)
                field.flag = &record.nrpnBlock4.on;
            else if (param >= 2)
                field.value = &record.nrpnBlock4.params[param - 2];
            return true;

        case NRPN_GROUP_KEY_TUNING:
            if (! inRange (firstKeyNote, lastKeyNote))
                return false;
            field.byte = &record.tracks[0][param - firstKeyNote];
            return true;

        case NRPN_GROUP_MASTER_EFFECT:
            if (! inRange (0, 13))
                return false;
            if (param == 0)
                field.flag = &record.masterEffect.on;
            else
                field.value = &record.masterEffect.slot (param);
            return true;

        case 7:
            if (! inRange (0, 6))
                return false;
            if (param == 0)
                field.flag = &record.nrpnBlock7.on;
            else
                field.value = &record.nrpnBlock7.slot (param);
            return true;

        case 8:
            return inRange (0, 6);

        default:
            return false;
    }
}

//==============================================================================
void MidiVelmor::post (TypeMessage* message)
{
    const juce::Message::Ptr owned (message);

    if (auto* target = messageListener)
        target->postMessage (message);
}

template<typename Callback>
void MidiVelmor::callListeners (Callback&& callback)
{
    // A listener may delete the link: the walk then stops at once, and every
    // caller returns without touching the link again.
    const juce::Component::BailOutChecker checker (this);
    listeners.callChecked (checker, callback);
}

void MidiVelmor::sendOnConnect (int result)
{
    post (new ConnectMessage (result));
}

void MidiVelmor::sendOnConnectionLost()
{
    callListeners ([this] (Listener& l)
                   { l.onConnectionLost (this); });
}

void MidiVelmor::sendOnSoundChanged (unsigned char channel, unsigned char bank, unsigned char program)
{
    post (new SoundMessage (channel, bank, program));
}

void MidiVelmor::sendOnGetPartMicroPName (unsigned char part, unsigned char bank, unsigned char number, const juce::String& name)
{
    post (new PartMessage (part, bank, number, name));
}

void MidiVelmor::sendOnParamChanged (unsigned char param, unsigned char value)
{
    post (new ParamMessage (param, value));
}

void MidiVelmor::sendOnGetPartParameters (unsigned char, unsigned char iconId, unsigned char templateId)
{
    post (new InfoMessage (iconId, templateId));
}

void MidiVelmor::sendOnNote (unsigned char note, unsigned char on)
{
    post (new NoteMessage (note, on));
}

void MidiVelmor::sendOnGetLayerMode (unsigned char mode)
{
    callListeners ([this, mode] (Listener& l)
                   { l.onGetLayerMode (this, mode); });
}

void MidiVelmor::sendOnGetChangeMode (unsigned char mode)
{
    callListeners ([this, mode] (Listener& l)
                   { l.onGetChangeMode (this, mode); });
}

void MidiVelmor::sendOnGetMicroPName (unsigned char bank, unsigned char index, const juce::String& name)
{
    callListeners ([this, bank, index, &name] (Listener& l)
                   { l.onGetMicroPName (this, bank, index, name); });
}
