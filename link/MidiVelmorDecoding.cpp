// MidiVelmor: what the instrument sends, decoded into the record and reported to the panel.
#include "link/MidiVelmor.h"

#include "link/VelmorWire.h"

#include <iterator>

using namespace VelmorWire;

namespace
{
constexpr int lastKeyNote = firstKeyNote + ST_MICROPERFORMANCE::keyCount - 1;
constexpr int onFlagThreshold = 63;

// What decode reads of a command's payload: its fixed fields, and for some a
// counted part that follows them.
struct PayloadExtent
{
    int fixedSize = 0;
    int countAt = 0; // payload offset of the count
    int bytesPerCount = 0; // 0: nothing counted

    // The count is read only once the fixed fields are known to be there.
    bool fitsIn (const unsigned char* payload, int size) const
    {
        return size >= fixedSize && (bytesPerCount == 0 || size - fixedSize >= bytesPerCount * payload[countAt]);
    }
};

// How decode takes an editor command: whether the instrument sends it (the
// others, and codes past the table, are logged as unknown), what it reads of
// the payload, and its decoder, none for a command that is ignored.
struct SysExCommand
{
    int code;
    bool received;
    PayloadExtent extent = {};
    void (MidiVelmor::*decode) (const unsigned char* payload) = nullptr;
};

template<size_t count>
constexpr bool isIndexedByCode (const SysExCommand (&commands)[count])
{
    for (size_t i = 0; i < count; ++i)
        if (commands[i].code != (int) i)
            return false;

    return true;
}

juce::String hex (int value)
{
    return juce::String::toHexString (value);
}
} // namespace

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

    if (size < 1 || d[manufacturerIndex] != manufacturerId)
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

    // By command code, so that a command is found in one step.
    static constexpr SysExCommand commands[] = {
        { 0, true },
        { CMD_NACK, true, {}, &MidiVelmor::decodeNack },
        { CMD_PING, false },
        { CMD_SET_TRACK_PARAMETER, true, { TrackParameterPayload::values, TrackParameterPayload::length, 1 }, &MidiVelmor::decodeTrackParameter },
        { CMD_GET_PART_MICROP_DATA, false },
        { CMD_DUMP_START, true },
        { CMD_GET_MICROP_NAME_LIST, false },
        { CMD_MICROP_NAME, true, { MicroPNamePayload::text, MicroPNamePayload::count, textBytesPerCharacter }, &MidiVelmor::decodeMicroPName },
        { CMD_GET_PART_MICROP_NAME, false },
        { CMD_PART_MICROP_NAME, true, { PartMicroPNamePayload::text, PartMicroPNamePayload::count, textBytesPerCharacter }, &MidiVelmor::decodePartMicroPName },
        { CMD_GET_LAYER_MODE, false },
        { CMD_LAYER_MODE, true, { LayerModePayload::size }, &MidiVelmor::decodeLayerMode },
        { CMD_PART_PARAMETERS, true, { PartParametersPayload::size }, &MidiVelmor::decodePartParameters },
        { CMD_PART_PEDALS, true, { PartPedalsPayload::size }, &MidiVelmor::decodePartPedals },
    };
    static_assert (isIndexedByCode (commands));

    const int command = d[commandIndex];
    const auto* payload = d + payloadIndex;

    if (command >= (int) std::size (commands) || ! commands[command].received)
    {
        writeToLog ("Unknown ZELTRONA SysEx (Cmd2 = " + juce::String (command) + ")", LOG_ERROR);
        return;
    }

    const auto& row = commands[command];

    if (! row.extent.fitsIn (payload, size - frameOverhead))
    {
        writeToLog ("Short ZELTRONA SysEx (Cmd2 = " + juce::String (command) + ")", LOG_ERROR);
        return;
    }

    if (row.decode != nullptr)
        (this->*row.decode) (payload);
}

void MidiVelmor::decodeNack (const unsigned char*)
{
    {
        const juce::ScopedLock sl (recordLock);
        pendingReply = none;
    }

    writeToLog ("NACK (Cmd2 = " + juce::String ((int) CMD_NACK) + ")", LOG_ERROR);
}

void MidiVelmor::decodeTrackParameter (const unsigned char* payload)
{
    const int part = payload[TrackParameterPayload::part];
    const int gen = payload[TrackParameterPayload::gen];
    const int param = payload[TrackParameterPayload::param];
    const int length = payload[TrackParameterPayload::length];
    const int start = payload[TrackParameterPayload::start];

    if (param >= ST_MICROPERFORMANCE::trackCount || start + length > ST_MICROPERFORMANCE::keyCount)
    {
        writeToLog ("Bad CMD_SET_TRACK_PARAMETER(part = " + juce::String (part) + ", gen = " + juce::String (gen) + ", param = " + juce::String (param) + ")", LOG_ERROR);
        return;
    }

    {
        const juce::ScopedLock sl (recordLock);
        std::memcpy (microP.tracks[param] + start, payload + TrackParameterPayload::values, (size_t) length);
    }

    post (new TrackParamMessage (gen, param, length, start));
}

void MidiVelmor::decodeMicroPName (const unsigned char* payload)
{
    const int bank = payload[MicroPNamePayload::bank];
    const int index = payload[MicroPNamePayload::index];
    const auto name = getSysExString (payload + MicroPNamePayload::text, payload[MicroPNamePayload::count]);

    {
        const juce::ScopedLock sl (recordLock);
        lastName = name;
    }

    writeToLog (juce::String (bank) + "-" + juce::String (index) + " " + name, LOG_DEBUG);
    sendOnGetMicroPName ((unsigned char) bank, (unsigned char) index, name);
}

void MidiVelmor::decodePartMicroPName (const unsigned char* payload)
{
    const int part = payload[PartMicroPNamePayload::part];
    const int bank = payload[PartMicroPNamePayload::bank];
    const int number = payload[PartMicroPNamePayload::number];
    const auto bytes = nameBytesFromText (payload + PartMicroPNamePayload::text, payload[PartMicroPNamePayload::count]);
    const auto name = decodeName (bytes.getData(), bytes.getSize());

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
}

void MidiVelmor::decodeLayerMode (const unsigned char* payload)
{
    sendOnGetLayerMode (payload[LayerModePayload::mode]);
}

void MidiVelmor::decodePartParameters (const unsigned char* payload)
{
    const auto iconId = payload[PartParametersPayload::iconId];
    const auto templateId = payload[PartParametersPayload::templateId];

    {
        const juce::ScopedLock sl (recordLock);
        microP.bank = payload[PartParametersPayload::bank];
        microP.number = payload[PartParametersPayload::number];
        microP.iconId = iconId;
        std::memcpy (microP.infoBytes, payload + PartParametersPayload::infoBytes, sizeof (microP.infoBytes));
        microP.templateId = templateId;
        microP.infoByte = payload[PartParametersPayload::infoByte];
    }

    sendOnGetPartParameters (0, iconId, templateId);
}

void MidiVelmor::decodePartPedals (const unsigned char* payload)
{
    const juce::ScopedLock sl (recordLock);
    std::memcpy (microP.pedals, payload + PartPedalsPayload::pedals, sizeof (microP.pedals));
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

        case NRPN_GROUP_BLOCK_1:
            if (! inRange (0, 4))
                return false;
            if (param == 0)
                field.flag = &record.nrpnBlock1.on;
            else
                field.value = &record.nrpnBlock1.params[param - 1];
            return true;

        case NRPN_GROUP_BLOCK_2:
            if (! inRange (0, 8))
                return false;
            if (param == 0)
                field.flag = &record.nrpnBlock2.on;
            else if (param == 1)
                field.value = &record.nrpnBlock2.param1;
            else
                field.value = &record.nrpnBlock2.params[param - 2];
            return true;

        case NRPN_GROUP_BLOCK_3:
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

        case NRPN_GROUP_BLOCK_4:
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

        case NRPN_GROUP_BLOCK_7:
            if (! inRange (0, 6))
                return false;
            if (param == 0)
                field.flag = &record.nrpnBlock7.on;
            else
                field.value = &record.nrpnBlock7.slot (param);
            return true;

        case NRPN_GROUP_UNUSED:
            return inRange (0, 6);

        default:
            return false;
    }
}
