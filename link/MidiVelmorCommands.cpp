// MidiVelmor: the record as the panel changes it, and the commands and requests sent to the instrument.
#include "link/MidiVelmor.h"

#include "link/VelmorWire.h"

#include <cstring>
#include <vector>

using namespace VelmorWire;

namespace
{
constexpr unsigned char noIconOnWire = 0x7F;
constexpr int maxChannel = 15;
constexpr unsigned char onFlagSent = 64;
constexpr int dumpTablePauseMs = 10;
} // namespace

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

void MidiVelmor::setPartMicroPName (unsigned char, juce::String name)
{
    const juce::ScopedLock sl (recordLock);
    storeNameText (microP, name);
}

void MidiVelmor::setPartMicroPIcon (unsigned char, unsigned char iconId)
{
    const juce::ScopedLock sl (recordLock);
    microP.iconId = iconId;
}

void MidiVelmor::setPartMicroPTemplate (unsigned char, unsigned char templateId)
{
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

    // The whole field goes, its NUL padding included.
    unsigned char payload[PartMicroPNamePayload::text + textBytesPerCharacter * ST_MICROPERFORMANCE::nameSize] {};
    payload[PartMicroPNamePayload::part] = part;
    payload[PartMicroPNamePayload::bank] = record.bank;
    payload[PartMicroPNamePayload::number] = record.number;
    payload[PartMicroPNamePayload::count] = ST_MICROPERFORMANCE::nameSize;
    nameTextFromBytes (record.name, ST_MICROPERFORMANCE::nameSize, payload + PartMicroPNamePayload::text);

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

    unsigned char payload[PartParametersPayload::size] {};
    payload[PartParametersPayload::part] = part;
    payload[PartParametersPayload::bank] = record.bank;
    payload[PartParametersPayload::number] = record.number;
    payload[PartParametersPayload::iconId] = record.iconId == none ? noIconOnWire : record.iconId;
    std::memcpy (payload + PartParametersPayload::infoBytes, record.infoBytes, sizeof (record.infoBytes));
    payload[PartParametersPayload::templateId] = record.templateId;
    payload[PartParametersPayload::infoByte] = record.infoByte;

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

    unsigned char payload[PartPedalsPayload::size] {};
    payload[PartPedalsPayload::part] = part;
    payload[PartPedalsPayload::bank] = record.bank;
    payload[PartPedalsPayload::number] = record.number;
    std::memcpy (payload + PartPedalsPayload::pedals, record.pedals, sizeof (record.pedals));

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

    std::vector<unsigned char> payload ((size_t) (TrackParameterPayload::values + length));
    payload[TrackParameterPayload::part] = part;
    payload[TrackParameterPayload::gen] = gen;
    payload[TrackParameterPayload::param] = param;
    payload[TrackParameterPayload::flag] = flag;
    payload[TrackParameterPayload::length] = length;
    payload[TrackParameterPayload::start] = start;
    std::memcpy (payload.data() + TrackParameterPayload::values, record.tracks[param] + start, length);

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

template<typename Visit>
void MidiVelmor::forEachNrpnBlockParamSent (ST_MICROPERFORMANCE& record, Visit&& visit)
{
    const auto visitGroup = [&] (int group, const juce::Array<int>& params)
    {
        for (auto param : params)
        {
            NrpnField field;

            if (findNrpnField (record, group, param, field))
                visit (group, param, field);
        }
    };

    visitGroup (NRPN_GROUP_BLOCK_1, { 0, 1, 2, 3, 4 });
    visitGroup (NRPN_GROUP_BLOCK_2, { 0, 1, 2, 3, 4, 5, 6, 7, 8 });
    visitGroup (NRPN_GROUP_BLOCK_3, { 1, 0, 2 });
    visitGroup (NRPN_GROUP_BLOCK_3, block3ParamsToSend (record.nrpnBlock3.slot (1)));
    visitGroup (NRPN_GROUP_BLOCK_4, { 0, 2, 3, 4, 5, 6 });
    visitGroup (NRPN_GROUP_MASTER_EFFECT, { 1, 0, 2, 3, 4, 5, 6 });
    visitGroup (NRPN_GROUP_BLOCK_7, { 1, 0, 2, 3, 4, 5, 6 });
}

void MidiVelmor::sendPartNRPNBlocks (const ST_MICROPERFORMANCE& record, unsigned char part)
{
    auto copy = record;

    const auto send = [&] (int group, int param, const NrpnField& field)
    {
        unsigned char value = 0;

        if (field.flag != nullptr)
            value = *field.flag != 0 ? onFlagSent : 0;
        else if (field.value != nullptr)
            value = field.valueIsFlag ? (*field.value != 0 ? onFlagSent : 0) : (unsigned char) (*field.value & 0xFF);
        else
            return;

        sendPartNRPN (part, (unsigned char) group, (unsigned char) param, value);
    };

    forEachNrpnBlockParamSent (copy, send);
}

bool MidiVelmor::hasSevenBitNrpnBlockValues (const ST_MICROPERFORMANCE& record)
{
    auto copy = record;
    bool fits = true;

    const auto check = [&fits] (int, int, const NrpnField& field)
    {
        if (field.value != nullptr && ! field.valueIsFlag && (*field.value < 0 || *field.value > dataMask))
            fits = false;
    };

    forEachNrpnBlockParamSent (copy, check);
    return fits;
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
