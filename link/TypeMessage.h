#pragma once

#include <juce_events/juce_events.h>

// Results that the link posts to the editor panel; the panel tells them apart
// by their type and reads the fields of the matching subclass.
class TypeMessage : public juce::Message
{
public:
    enum Type
    {
        MSG_CONNECT = 0,
        MSG_SOUND,
        MSG_PART,
        MSG_PARAM,
        MSG_TRACK_PARAM,
        MSG_INFO,
        MSG_NOTE
    };

    explicit TypeMessage (int messageType);
    ~TypeMessage() override;

    int type;
};

class ConnectMessage : public TypeMessage
{
public:
    ConnectMessage (int connectResult, int searchNumber);
    ~ConnectMessage() override;

    int result;
    // The link's number of the search that gave the result.
    int search;
};

class SoundMessage : public TypeMessage
{
public:
    SoundMessage (int soundChannel, int soundBank, int soundProgram);
    ~SoundMessage() override;

    int channel;
    int bank;
    int program;
};

class PartMessage : public TypeMessage
{
public:
    PartMessage (int partIndex, int partBank, int partNumber, const juce::String& partName);
    ~PartMessage() override;

    int part;
    int bank;
    int number;
    juce::String name;
};

class ParamMessage : public TypeMessage
{
public:
    ParamMessage (int paramIndex, int paramValue);
    ~ParamMessage() override;

    int param;
    int value;
};

class TrackParamMessage : public TypeMessage
{
public:
    TrackParamMessage (int genByte, int trackParam, int keyCount, int firstKey);
    ~TrackParamMessage() override;

    int gen;
    int param;
    int length;
    int start;
};

class InfoMessage : public TypeMessage
{
public:
    InfoMessage (int icon, int pianoModel);
    ~InfoMessage() override;

    int iconId;
    int templateId;
};

class NoteMessage : public TypeMessage
{
public:
    NoteMessage (int noteNumber, int noteOn);
    ~NoteMessage() override;

    int note;
    int on;
};
