#include "link/TypeMessage.h"

TypeMessage::TypeMessage (int messageType) : type (messageType) {}
TypeMessage::~TypeMessage() = default;

ConnectMessage::ConnectMessage (int connectResult, int searchNumber) : TypeMessage (MSG_CONNECT),
                                                                       result (connectResult),
                                                                       search (searchNumber) {}
ConnectMessage::~ConnectMessage() = default;

SoundMessage::SoundMessage (int soundChannel, int soundBank, int soundProgram)
    : TypeMessage (MSG_SOUND),
      channel (soundChannel),
      bank (soundBank),
      program (soundProgram)
{
}
SoundMessage::~SoundMessage() = default;

PartMessage::PartMessage (int partIndex, int partBank, int partNumber, const juce::String& partName)
    : TypeMessage (MSG_PART),
      part (partIndex),
      bank (partBank),
      number (partNumber),
      name (partName)
{
}
PartMessage::~PartMessage() = default;

ParamMessage::ParamMessage (int paramIndex, int paramValue) : TypeMessage (MSG_PARAM),
                                                              param (paramIndex),
                                                              value (paramValue) {}
ParamMessage::~ParamMessage() = default;

TrackParamMessage::TrackParamMessage (int genByte, int trackParam, int keyCount, int firstKey)
    : TypeMessage (MSG_TRACK_PARAM),
      gen (genByte),
      param (trackParam),
      length (keyCount),
      start (firstKey)
{
}
TrackParamMessage::~TrackParamMessage() = default;

InfoMessage::InfoMessage (int icon, int pianoModel) : TypeMessage (MSG_INFO),
                                                      iconId (icon),
                                                      templateId (pianoModel) {}
InfoMessage::~InfoMessage() = default;

NoteMessage::NoteMessage (int noteNumber, int noteOn) : TypeMessage (MSG_NOTE),
                                                        note (noteNumber),
                                                        on (noteOn) {}
NoteMessage::~NoteMessage() = default;
