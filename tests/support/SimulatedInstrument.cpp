#include "tests/support/SimulatedInstrument.h"

#include "tests/support/VirtualMidiPorts.h"

#include <algorithm>

namespace
{
constexpr uint8_t sysExStart = 0xF0;
constexpr uint8_t sysExEnd = 0xF7;
constexpr uint8_t maker = 0x7D;
constexpr std::array<uint8_t, 3> editorHeader { 0x1C, 0x20, 0x01 };
constexpr int headerSize = 5; // maker, editor header, command
constexpr uint8_t universalNonRealTime = 0x7E;
constexpr uint8_t allDevices = 0x7F;
constexpr uint8_t askAllNames = 127;

enum Command : uint8_t
{
    nack = 1,
    ping = 2,
    trackParameter = 3,
    partDataRequest = 4,
    dumpStart = 5,
    nameListRequest = 6,
    nameReply = 7,
    partNameRequest = 8,
    partName = 9,
    layerModeRequest = 10,
    layerModeReply = 11,
    partParameters = 12,
    partPedals = 13
};

enum Controller : int
{
    bankSelect = 0,
    dataEntry = 6,
    volume = 7,
    pan = 10,
    reverbSend = 91,
    chorusSend = 93,
    nrpnParam = 98,
    nrpnGroup = 99
};

constexpr int firstTuningNote = 21;
constexpr int lastTuningNote = 108;

juce::MidiMessage controller (int part, int number, int value)
{
    return juce::MidiMessage::controllerEvent (part + 1, number, value);
}

void addNrpn (std::vector<juce::MidiMessage>& out, int part, int group, int param, int value)
{
    out.push_back (controller (part, nrpnGroup, group));
    out.push_back (controller (part, nrpnParam, param));
    out.push_back (controller (part, dataEntry, value));
}

template<size_t size>
void addNrpnBlock (std::vector<juce::MidiMessage>& out, int part, int group, const std::array<uint8_t, size>& block, std::vector<int> order)
{
    for (auto param : order)
        addNrpn (out, part, group, param, block[(size_t) param]);
}

std::vector<int> range (int first, int last)
{
    std::vector<int> values;
    for (int i = first; i <= last; ++i)
        values.push_back (i);
    return values;
}
} // namespace

void SimulatedInstrument::Part::setName (const std::string& bytes)
{
    name.fill (0);
    std::copy_n (bytes.begin(), std::min (bytes.size(), name.size()), name.begin());
}

std::string SimulatedInstrument::Part::getName() const
{
    const auto end = std::find (name.begin(), name.end(), 0);
    return std::string (name.begin(), end);
}

bool SimulatedInstrument::Part::operator== (const Part& other) const
{
    return name == other.name && iconId == other.iconId && bank == other.bank && number == other.number
           && infoBytes == other.infoBytes && templateId == other.templateId && infoByte == other.infoByte
           && params == other.params && tracks == other.tracks && group1 == other.group1 && group2 == other.group2
           && group3 == other.group3 && group4 == other.group4 && group6 == other.group6 && group7 == other.group7
           && pedals == other.pedals && volume == other.volume && pan == other.pan && chorusSend == other.chorusSend
           && reverbSend == other.reverbSend;
}

SimulatedInstrument::SimulatedInstrument (VirtualMidiPorts& portsToUse, const juce::String& input, const juce::String& output)
    : ports (portsToUse),
      inputName (input),
      outputName (output)
{
    ports.setSendObserver ([this] (const juce::String& name, const juce::MidiMessage& message)
                           { received (name, message); });
}

SimulatedInstrument::~SimulatedInstrument()
{
    ports.setSendObserver ({});
}

void SimulatedInstrument::setIdentity (const Identity& newIdentity)
{
    const juce::ScopedLock sl (lock);
    identity = newIdentity;
}

void SimulatedInstrument::setPingMode (PingMode mode, int answeredPings)
{
    const juce::ScopedLock sl (lock);
    pingMode = mode;
    answeredPingLimit = answeredPings;
    pingsBeforeMode = pingRequests;
}

void SimulatedInstrument::setLayerMode (uint8_t mode)
{
    const juce::ScopedLock sl (lock);
    layerMode = mode;
}

void SimulatedInstrument::setNames (uint8_t bank, const std::vector<std::string>& bankNames)
{
    const juce::ScopedLock sl (lock);
    names[bank] = bankNames;
}

void SimulatedInstrument::setPart (int part, const Part& contents)
{
    const juce::ScopedLock sl (lock);
    parts.at ((size_t) part) = contents;
}

SimulatedInstrument::Part SimulatedInstrument::getPart (int part) const
{
    const juce::ScopedLock sl (lock);
    return parts.at ((size_t) part);
}

void SimulatedInstrument::injectBytes (const std::vector<uint8_t>& bytes)
{
    inject (juce::MidiMessage (bytes.data(), (int) bytes.size()));
}

void SimulatedInstrument::inject (const juce::MidiMessage& message)
{
    ports.deliver (inputName, message);
}

int SimulatedInstrument::getPingRequestCount() const
{
    const juce::ScopedLock sl (lock);
    return pingRequests;
}

int SimulatedInstrument::getIdentityRequestCount() const
{
    const juce::ScopedLock sl (lock);
    return identityRequests;
}

int SimulatedInstrument::getDumpStartCount (uint8_t flag) const
{
    const juce::ScopedLock sl (lock);
    return flag <= 1 ? dumpStarts[flag] : 0;
}

uint8_t SimulatedInstrument::getBank (int channel) const
{
    const juce::ScopedLock sl (lock);
    return banks.at ((size_t) channel);
}

uint8_t SimulatedInstrument::getProgram (int channel) const
{
    const juce::ScopedLock sl (lock);
    return programs.at ((size_t) channel);
}

juce::StringArray SimulatedInstrument::getProblems() const
{
    const juce::ScopedLock sl (lock);
    return problems;
}

uint8_t SimulatedInstrument::checksum (const uint8_t* data, size_t size)
{
    unsigned int sum = 0;
    for (size_t i = 0; i < size; ++i)
        sum += data[i];
    return (uint8_t) (~sum & 0x7F);
}

std::vector<uint8_t> SimulatedInstrument::frame (uint8_t command, const std::vector<uint8_t>& payload)
{
    // Sized once and filled in place: growing a vector that began as a short
    // list makes GCC 12 at -O3 see the copy past the list's end.
    std::vector<uint8_t> bytes (1 + headerSize + payload.size() + 2);
    const std::array<uint8_t, 1 + headerSize> head { sysExStart, maker, editorHeader[0], editorHeader[1], editorHeader[2], command };
    const auto payloadStart = std::copy (head.begin(), head.end(), bytes.begin());
    const auto checksumAt = std::copy (payload.begin(), payload.end(), payloadStart);
    *checksumAt = checksum (bytes.data() + 1, (size_t) (checksumAt - bytes.begin()) - 1);
    bytes.back() = sysExEnd;
    return bytes;
}

std::vector<uint8_t> SimulatedInstrument::encodeName (const uint8_t* bytes, size_t count)
{
    std::vector<uint8_t> text;
    for (size_t i = 0; i < count; ++i)
    {
        text.push_back ((uint8_t) ((bytes[i] >> 4) & 0x0F));
        text.push_back ((uint8_t) (bytes[i] & 0x0F));
    }
    return text;
}

// Group 3 parameters that describe an effect of each type, after the type, the
// on flag and parameter 2. Type 6 lists what both readings of its block share.
std::vector<int> SimulatedInstrument::group3ParamsOfType (int type)
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
            return { 3, 4, 5, 6, 7, 8, 9 };
        case 7:
            return { 3, 4, 5, 6, 7, 8, 9, 11 };
        case 8:
            return { 3, 4, 5, 6, 7, 8, 11 };
        default:
            return {};
    }
}

std::vector<juce::MidiMessage> SimulatedInstrument::partDump (int part) const
{
    const juce::ScopedLock sl (lock);
    return partDumpLocked (part);
}

std::vector<juce::MidiMessage> SimulatedInstrument::partDumpLocked (int part) const
{
    const auto& p = parts.at ((size_t) part);
    const auto partByte = (uint8_t) part;
    std::vector<juce::MidiMessage> out;

    const auto nameBytes = p.getName();
    std::vector<uint8_t> namePayload { partByte, p.bank, p.number, (uint8_t) nameBytes.size() };
    const auto text = encodeName (reinterpret_cast<const uint8_t*> (nameBytes.data()), nameBytes.size());
    namePayload.insert (namePayload.end(), text.begin(), text.end());
    send (out, frame (partName, namePayload));

    send (out, frame (partParameters, { partByte, p.bank, p.number, p.iconId, p.infoBytes[0], p.infoBytes[1], p.infoBytes[2], p.infoBytes[3], p.templateId, p.infoByte }));
    send (out, frame (partPedals, { partByte, p.bank, p.number, p.pedals[0], p.pedals[1], p.pedals[2], p.pedals[3], p.pedals[4] }));

    for (uint8_t t = 0; t < trackCount; ++t)
    {
        std::vector<uint8_t> payload { partByte, 0, t, 0, (uint8_t) keyCount, 0 };
        payload.insert (payload.end(), p.tracks[t].begin(), p.tracks[t].end());
        send (out, frame (trackParameter, payload));
    }

    addNrpnBlock (out, part, 0, p.params, range (0, partParamCount - 1));
    addNrpnBlock (out, part, 1, p.group1, range (0, group1Size - 1));
    addNrpnBlock (out, part, 2, p.group2, range (0, group2Size - 1));

    std::vector<int> group3Order { 1, 0, 2 };
    const auto typeParams = group3ParamsOfType (p.group3[1]);
    group3Order.insert (group3Order.end(), typeParams.begin(), typeParams.end());
    addNrpnBlock (out, part, 3, p.group3, group3Order);

    // Parameter 4:1 is not part of the block the instrument reports.
    addNrpnBlock (out, part, 4, p.group4, { 0, 2, 3, 4, 5, 6 });
    addNrpnBlock (out, part, 6, p.group6, range (0, group6Size - 1));
    addNrpnBlock (out, part, 7, p.group7, range (0, group7Size - 1));

    out.push_back (controller (part, volume, p.volume));
    out.push_back (controller (part, pan, p.pan));
    out.push_back (controller (part, reverbSend, p.reverbSend));
    out.push_back (controller (part, chorusSend, p.chorusSend));
    return out;
}

void SimulatedInstrument::send (std::vector<juce::MidiMessage>& replies, const std::vector<uint8_t>& bytes) const
{
    replies.emplace_back (bytes.data(), (int) bytes.size());
}

void SimulatedInstrument::problem (const juce::String& text)
{
    problems.add (text);
}

void SimulatedInstrument::received (const juce::String& name, const juce::MidiMessage& message)
{
    if (name != outputName)
        return;

    std::vector<juce::MidiMessage> replies;
    {
        const juce::ScopedLock sl (lock);
        const auto* raw = message.getRawData();
        const auto size = message.getRawDataSize();

        if (size <= 0)
        {
            problem ("empty message");
        }
        else if (raw[0] == sysExStart)
        {
            bool wellFormed = size >= 2 && raw[size - 1] == sysExEnd;
            for (int i = 1; wellFormed && i < size - 1; ++i)
                if (raw[i] >= 0x80)
                {
                    problem ("SysEx data byte 0x" + juce::String::toHexString (raw[i]) + " at " + juce::String (i));
                    wellFormed = false;
                }

            if (size < 2 || raw[size - 1] != sysExEnd)
                problem ("SysEx without its end byte");
            else if (wellFormed)
                receivedSysEx (raw + 1, size - 2, replies);
        }
        else
        {
            const int status = raw[0] & 0xF0;
            const int channel = raw[0] & 0x0F;
            if (status == 0xB0 && size == 3)
                receivedController (channel, raw[1], raw[2]);
            else if (status == 0xC0 && size == 2)
                programs[(size_t) channel] = raw[1];
            else
                problem ("unexpected message " + juce::String::toHexString (raw, size));
        }
    }

    for (const auto& reply : replies)
        ports.deliver (inputName, reply);
}

void SimulatedInstrument::receivedSysEx (const uint8_t* data, int size, std::vector<juce::MidiMessage>& replies)
{
    constexpr int identityRequestSize = 4;
    if (size == identityRequestSize && data[0] == universalNonRealTime && data[2] == 0x06 && data[3] == 0x01)
    {
        if (data[1] != 0x00 && data[1] != allDevices)
            return;

        ++identityRequests;
        if (identity.answers)
        {
            const std::vector<uint8_t> reply { sysExStart, universalNonRealTime, identity.deviceId, 0x06, 0x02, identity.manufacturer, identity.familyLow, identity.familyHigh, identity.memberLow, identity.memberHigh, identity.major, identity.minor, identity.revision, identity.flags, sysExEnd };
            send (replies, reply);
        }
        return;
    }

    if (size < headerSize + 1 || data[0] != maker || ! std::equal (editorHeader.begin(), editorHeader.end(), data + 1))
    {
        problem ("foreign SysEx " + juce::String::toHexString (data, size));
        return;
    }

    if (checksum (data, (size_t) size - 1) != data[size - 1])
    {
        problem ("checksum error in command " + juce::String (data[4]));
        return;
    }

    receivedEditorCommand (data, size, replies);
}

void SimulatedInstrument::receivedEditorCommand (const uint8_t* d, int size, std::vector<juce::MidiMessage>& replies)
{
    const auto command = d[4];
    const auto expectSize = [this, size, command] (int expected)
    {
        if (size == expected)
            return true;
        problem ("command " + juce::String (command) + " of data size " + juce::String (size) + ", not " + juce::String (expected));
        return false;
    };
    const auto expectPart = [this, command] (uint8_t part)
    {
        if (part <= 1)
            return true;
        problem ("command " + juce::String (command) + " for part " + juce::String (part));
        return false;
    };

    switch (command)
    {
        case ping:
            if (! expectSize (7))
                return;
            if (d[5] != 0)
            {
                problem ("ping request with payload " + juce::String (d[5]));
                return;
            }
            ++pingRequests;
            if (pingMode == PingMode::answerAll || (pingMode == PingMode::answerFirstN && pingRequests - pingsBeforeMode <= answeredPingLimit))
            {
                send (replies, frame (ping, { 1 }));
            }
            else if (pingMode == PingMode::badChecksum)
            {
                auto reply = frame (ping, { 1 });
                reply[reply.size() - 2] ^= 0x01;
                send (replies, reply);
            }
            return;

        case trackParameter:
        {
            if (size < 12 || ! expectSize (12 + d[9]) || ! expectPart (d[5]))
                return;
            const int param = d[7];
            const int length = d[9];
            const int start = d[10];
            if (d[6] != 0 || d[8] > 1 || param >= trackCount || length < 1 || start + length > keyCount)
            {
                problem ("bad per-key block " + juce::String::toHexString (d, size));
                return;
            }
            auto& table = parts[d[5]].tracks[(size_t) param];
            std::copy_n (d + 11, length, table.begin() + start);
            return;
        }

        case partDataRequest:
            if (expectSize (7) && expectPart (d[5]))
                for (auto& m : partDumpLocked (d[5]))
                    replies.push_back (m);
            return;

        case dumpStart:
            if (! expectSize (7))
                return;
            if (d[5] > 1)
                problem ("dump start flag " + juce::String (d[5]));
            else
                ++dumpStarts[d[5]];
            return;

        case nameListRequest:
        {
            if (! expectSize (8))
                return;
            const auto bank = d[5];
            const auto index = d[6];
            const auto& list = names[bank];
            bool answered = false;
            for (size_t i = 0; i < list.size(); ++i)
            {
                if (index != askAllNames && index != i)
                    continue;
                std::vector<uint8_t> payload { bank, (uint8_t) i, (uint8_t) list[i].size() };
                const auto text = encodeName (reinterpret_cast<const uint8_t*> (list[i].data()), list[i].size());
                payload.insert (payload.end(), text.begin(), text.end());
                send (replies, frame (nameReply, payload));
                answered = true;
            }
            if (! answered)
                send (replies, frame (nack, {}));
            return;
        }

        case partNameRequest:
        {
            if (! expectSize (7) || ! expectPart (d[5]))
                return;
            const auto& p = parts[d[5]];
            const auto nameBytes = p.getName();
            std::vector<uint8_t> payload { d[5], p.bank, p.number, (uint8_t) nameBytes.size() };
            const auto text = encodeName (reinterpret_cast<const uint8_t*> (nameBytes.data()), nameBytes.size());
            payload.insert (payload.end(), text.begin(), text.end());
            send (replies, frame (partName, payload));
            return;
        }

        case partName:
        {
            if (size < 10 || ! expectSize (10 + 2 * d[8]) || ! expectPart (d[5]))
                return;
            if (d[8] != nameSize)
                problem ("part name of " + juce::String (d[8]) + " characters");
            auto& p = parts[d[5]];
            p.bank = d[6];
            p.number = d[7];
            p.name.fill (0);
            for (int i = 0; i < std::min ((int) d[8], nameSize); ++i)
                p.name[(size_t) i] = (uint8_t) ((d[9 + 2 * i] << 4) | d[10 + 2 * i]);
            return;
        }

        case layerModeRequest:
            if (expectSize (6))
                send (replies, frame (layerModeReply, { layerMode }));
            return;

        case partParameters:
        {
            if (! expectSize (16) || ! expectPart (d[5]))
                return;
            auto& p = parts[d[5]];
            p.bank = d[6];
            p.number = d[7];
            p.iconId = d[8];
            std::copy_n (d + 9, 4, p.infoBytes.begin());
            p.templateId = d[13];
            p.infoByte = d[14];
            return;
        }

        case partPedals:
        {
            if (! expectSize (14) || ! expectPart (d[5]))
                return;
            auto& p = parts[d[5]];
            p.bank = d[6];
            p.number = d[7];
            std::copy_n (d + 8, pedalCount, p.pedals.begin());
            return;
        }

        default:
            problem ("unknown command " + juce::String (command));
            return;
    }
}

SimulatedInstrument::Part* SimulatedInstrument::partForChannel (int channel)
{
    if (channel < 0 || channel > 1)
    {
        problem ("part controller on channel " + juce::String (channel));
        return nullptr;
    }
    return &parts[(size_t) channel];
}

void SimulatedInstrument::receivedController (int channel, int number, int value)
{
    auto& selection = selections[(size_t) channel];
    switch (number)
    {
        case bankSelect:
            banks[(size_t) channel] = (uint8_t) value;
            return;
        case nrpnGroup:
            selection.group = value;
            return;
        case nrpnParam:
            selection.param = value;
            return;
        case dataEntry:
            receivedNrpnValue (channel, value);
            return;
        default:
            break;
    }

    auto* p = partForChannel (channel);
    if (p == nullptr)
        return;

    switch (number)
    {
        case volume:
            p->volume = (uint8_t) value;
            return;
        case pan:
            p->pan = (uint8_t) value;
            return;
        case reverbSend:
            p->reverbSend = (uint8_t) value;
            return;
        case chorusSend:
            p->chorusSend = (uint8_t) value;
            return;
        default:
            problem ("controller " + juce::String (number) + " on channel " + juce::String (channel));
            return;
    }
}

void SimulatedInstrument::receivedNrpnValue (int channel, int value)
{
    const int group = selections[(size_t) channel].group;
    const int param = selections[(size_t) channel].param;
    auto* p = partForChannel (channel);
    if (p == nullptr)
        return;

    const auto store = [&] (auto& block)
    {
        if (param < 0 || (size_t) param >= block.size())
            return false;
        block[(size_t) param] = (uint8_t) value;
        return true;
    };

    bool taken = false;
    switch (group)
    {
        case 0:
            taken = store (p->params);
            break;
        case 1:
            taken = store (p->group1);
            break;
        case 2:
            taken = store (p->group2);
            break;
        case 3:
            taken = store (p->group3);
            break;
        case 4:
            taken = store (p->group4);
            break;
        case 5:
            taken = param >= firstTuningNote && param <= lastTuningNote;
            if (taken)
                p->tracks[0][(size_t) (param - firstTuningNote)] = (uint8_t) value;
            break;
        case 6:
            taken = store (p->group6);
            break;
        case 7:
            taken = store (p->group7);
            break;
        default:
            break;
    }

    if (! taken)
        problem ("NRPN " + juce::String (group) + ":" + juce::String (param) + " on channel " + juce::String (channel));
}
