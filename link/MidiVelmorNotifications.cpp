// MidiVelmor: the reports to the panel, posted or called, and the connection hooks that lead to them.
#include "link/MidiVelmor.h"

void MidiVelmor::onSearchResult (int result, int search)
{
    {
        const juce::ScopedLock sl (recordLock);
        pendingReply = none;
    }

    sendOnConnect (result, search);
}

void MidiVelmor::onDisconnect()
{
    sendOnConnectionLost();
}

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

void MidiVelmor::sendOnConnect (int result, int search)
{
    post (new ConnectMessage (result, search));
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
