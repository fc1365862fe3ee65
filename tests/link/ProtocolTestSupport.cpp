#include "ProtocolTestSupport.h"

Bytes operator+ (Bytes first, const Bytes& second)
{
    first.insert (first.end(), second.begin(), second.end());
    return first;
}

juce::MidiMessage messageOf (const Bytes& bytes)
{
    std::vector<juce::uint8> raw (bytes.begin(), bytes.end());
    return juce::MidiMessage (raw.data(), (int) raw.size());
}

Bytes bytesOf (const juce::MidiMessage& message)
{
    return Bytes (message.getRawData(), message.getRawData() + message.getRawDataSize());
}

juce::String hexOf (const Bytes& bytes)
{
    juce::StringArray parts;

    for (auto b : bytes)
        parts.add (juce::String::toHexString (b).paddedLeft ('0', 2).toUpperCase());

    return parts.joinIntoString (" ");
}

Bytes editorFrame (int command, const Bytes& payload)
{
    Bytes frame { 0xF0, 0x7D, 0x1C, 0x20, 0x01, command };
    frame.insert (frame.end(), payload.begin(), payload.end());

    int sum = 0;

    for (size_t i = 1; i < frame.size(); ++i)
        sum += frame[i];

    frame.push_back ((~sum) & 0x7F);
    frame.push_back (0xF7);
    return frame;
}

Bytes identityReply (int major, int minor, int flags)
{
    return { 0xF0, 0x7E, 0x00, 0x06, 0x02, 0x7D, 0x05, 0x1C, 0x20, 0x03, major, minor, 0x00, flags, 0xF7 };
}

juce::String logText()
{
    return juce::File::getSpecialLocation (juce::File::userHomeDirectory)
        .getChildFile (".config/Velmor Piano Editor/Midi.log")
        .loadFileAsString();
}

juce::StringArray logLinesSince (int from)
{
    juce::StringArray result;
    const auto text = logText().substring (from);

    for (auto line : juce::StringArray::fromLines (text))
    {
        line = line.trimCharactersAtEnd ("\r");

        if (line.isEmpty())
            continue;

        const auto prefixEnd = line.indexOf ("] - ");

        if (line.length() > 1 && line[1] == '[' && prefixEnd > 0)
            result.add (line.substring (0, 1) + " " + line.substring (prefixEnd + 4));
        else
            result.add (line);
    }

    return result;
}

void pumpMessages (int milliseconds)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
}

bool pumpUntil (std::function<bool()> condition, int timeoutMs)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;

    while (! condition())
    {
        if (juce::Time::getMillisecondCounter() > end)
            return false;

        pumpMessages (5);
    }

    return true;
}

//==============================================================================
void Inbox::handleMessage (const juce::Message& message)
{
    if (! juce::MessageManager::getInstance()->isThisTheMessageThread())
        allOnMessageThread = false;

    const auto line = [] (const char* name, std::initializer_list<int> values)
    {
        juce::String text (name);

        for (auto v : values)
            text << " " << v;

        return text;
    };

    if (auto* m = dynamic_cast<const ConnectMessage*> (&message))
        lines.add (line ("Connect", { m->type, m->result }));
    else if (auto* s = dynamic_cast<const SoundMessage*> (&message))
        lines.add (line ("Sound", { s->type, s->channel, s->bank, s->program }));
    else if (auto* p = dynamic_cast<const PartMessage*> (&message))
        lines.add (line ("Part", { p->type, p->part, p->bank, p->number }) + " " + p->name);
    else if (auto* pm = dynamic_cast<const ParamMessage*> (&message))
        lines.add (line ("Param", { pm->type, pm->param, pm->value }));
    else if (auto* t = dynamic_cast<const TrackParamMessage*> (&message))
        lines.add (line ("Track", { t->type, t->gen, t->param, t->length, t->start }));
    else if (auto* i = dynamic_cast<const InfoMessage*> (&message))
        lines.add (line ("Info", { i->type, i->iconId, i->templateId }));
    else if (auto* n = dynamic_cast<const NoteMessage*> (&message))
        lines.add (line ("Note", { n->type, n->note, n->on }));
    else
        lines.add ("unknown");
}

//==============================================================================
void RecordingListener::onConnect (MidiVelmor*, int) { record ("onConnect"); }
void RecordingListener::onConnectionLost (MidiVelmor*) { record ("onConnectionLost"); }
void RecordingListener::onSoundChanged (MidiVelmor*, unsigned char, unsigned char, unsigned char) { record ("onSoundChanged"); }
void RecordingListener::onGetLayerMode (MidiVelmor*, unsigned char mode) { record ("onGetLayerMode " + juce::String (mode)); }
void RecordingListener::onGetChangeMode (MidiVelmor*, unsigned char mode) { record ("onGetChangeMode " + juce::String (mode)); }
void RecordingListener::onGetMicroPNameList (MidiVelmor*, unsigned char, unsigned char, const juce::StringArray&) { record ("onGetMicroPNameList"); }

void RecordingListener::onGetMicroPName (MidiVelmor*, unsigned char bank, unsigned char index, const juce::String& name)
{
    record ("onGetMicroPName " + juce::String (bank) + " " + juce::String (index) + " " + name);

    if (onName)
        onName();
}

void RecordingListener::onGetPartMicroPName (MidiVelmor*, unsigned char, unsigned char, unsigned char, const juce::String&) { record ("onGetPartMicroPName"); }
void RecordingListener::onGetPartParameters (MidiVelmor*, unsigned char, unsigned char, unsigned char) { record ("onGetPartParameters"); }
void RecordingListener::onGetMicroPData (MidiVelmor*, unsigned char, unsigned char, const ST_MICROPERFORMANCE*) { record ("onGetMicroPData"); }
void RecordingListener::onParamChanged (MidiVelmor*, unsigned char, unsigned char, unsigned char) { record ("onParamChanged"); }
void RecordingListener::onPianoFineTuningChanged (MidiVelmor*, unsigned char, unsigned char) { record ("onPianoFineTuningChanged"); }
void RecordingListener::onException (MidiVelmor*, MidiVelmor::Exception) { record ("onException"); }

void RecordingListener::record (const juce::String& line)
{
    auto* thread = juce::Thread::getCurrentThread();
    const auto threadName = juce::MessageManager::getInstance()->isThisTheMessageThread() ? juce::String ("message")
                                                                                          : (thread != nullptr ? thread->getThreadName() : juce::String ("other"));
    const juce::ScopedLock sl (lock);
    lines.add (line);
    threads.add (threadName);
}

juce::StringArray RecordingListener::getLines() const
{
    const juce::ScopedLock sl (lock);
    return lines;
}

juce::StringArray RecordingListener::getThreads() const
{
    const juce::ScopedLock sl (lock);
    return threads;
}

//==============================================================================
void LinkFixture::SetUp()
{
    auto virtualPorts = std::make_unique<VirtualMidiPorts> (juce::StringArray { inputName }, juce::StringArray { outputName });
    ports = virtualPorts.get();

    const auto identityRequest = messageOf ({ 0xF0, 0x7E, 0x00, 0x06, 0x01, 0xF7 });
    const auto pingRequest = messageOf (editorFrame (MidiVelmor::CMD_PING, { 0x00 }));
    const auto pingReply = messageOf (editorFrame (MidiVelmor::CMD_PING, { 0x01 }));

    ports->setSendObserver ([this, identityRequest, pingRequest, pingReply] (const juce::String&, const juce::MidiMessage& message)
                            {
                                const auto bytes = bytesOf (message);

                                // No byte above 7 bits may travel inside a SysEx frame.
                                if (bytes.size() > 2 && bytes.front() == 0xF0)
                                    for (size_t i = 1; i + 1 < bytes.size(); ++i)
                                        if (bytes[i] >= 0x80)
                                        {
                                            const juce::ScopedLock sl (violationLock);
                                            sysExViolations.add (hexOf (bytes));
                                        }

                                if (bytes == bytesOf (identityRequest) && ! identityAnswer.empty())
                                    ports->deliver (inputName, messageOf (identityAnswer));
                                else if (bytes == bytesOf (pingRequest) && answerPings)
                                    ports->deliver (inputName, pingReply); });

    link = std::make_unique<MidiVelmor> ("Midi.log", 0x1F, std::move (virtualPorts));
    link->messageListener = &inbox;
    link->addListener (&listener);
}

void LinkFixture::TearDown()
{
    {
        const juce::ScopedLock sl (violationLock);
        EXPECT_TRUE (sysExViolations.isEmpty()) << sysExViolations.joinIntoString ("\n");
    }

    // A test may have had a listener delete the link.
    if (link != nullptr)
    {
        link->disconnect();
        link->removeListener (&listener);
        link.reset();
    }

    pumpMessages (10);
}

bool LinkFixture::connect (int major, int minor, int flags)
{
    identityAnswer = identityReply (major, minor, flags);
    link->setActiveInput (0);
    link->setActiveOutput (0);
    link->connect();

    pumpUntil ([this]
               { return inbox.lines.size() > 0; });
    clearSent();
    return link->getConnectionState() == Midi::STATE_CONNECTED;
}

std::vector<Bytes> LinkFixture::sentMessages() const
{
    const auto ping = editorFrame (MidiVelmor::CMD_PING, { 0x00 });
    const Bytes identityRequest { 0xF0, 0x7E, 0x00, 0x06, 0x01, 0xF7 };
    std::vector<Bytes> result;

    for (const auto& sent : ports->getSentMessages())
    {
        const auto bytes = bytesOf (sent.message);

        if (bytes != ping && bytes != identityRequest)
            result.push_back (bytes);
    }

    return result;
}

void LinkFixture::clearSent()
{
    ports->clearSentMessages();
}

void LinkFixture::deliver (const Bytes& bytes)
{
    ports->deliver (inputName, messageOf (bytes));
    ports->waitUntilDelivered();
}
