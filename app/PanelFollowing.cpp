// What the instrument reports, shown on the panel.
#include "app/MainComponent.h"

#include "app/PanelTables.h"

namespace
{
// Only microperformances of this bank can be edited.
constexpr int editableBank = 0;
// A sound from this bank on may change the layer mode.
constexpr int firstLayerBank = 64;
constexpr int nameListSize = 64;

// "NN  name", NN counting from 01.
juce::String entryText (int index, const juce::String& name)
{
    return juce::String (index + 1).paddedLeft ('0', 2) + "  " + name;
}

juce::String listOf (std::initializer_list<int> values)
{
    juce::StringArray texts;

    for (auto value : values)
        texts.add (juce::String (value));

    return texts.joinIntoString (", ");
}
} // namespace

void MainComponent::onSoundChanged (MidiVelmor*, unsigned char, unsigned char, unsigned char)
{
}

void MainComponent::onGetLayerMode (MidiVelmor* link, unsigned char mode)
{
    juce::Logger::writeToLog ("onGetLayerMode");
    followLayerMode (*link, mode);
}

void MainComponent::onGetChangeMode (MidiVelmor* link, unsigned char mode)
{
    juce::Logger::writeToLog ("onGetChangeMode");
    followLayerMode (*link, mode);
}

void MainComponent::followLayerMode (MidiVelmor& link, unsigned char mode)
{
    // Stored before the requests leave, so that the replies find it.
    layerMode = mode;
    askPartName (link, 0);

    if (mode != 0)
        askPartName (link, 1);
}

void MainComponent::askPartName (MidiVelmor& link, int part)
{
    // Counted first: the reply may be handled before the request returns.
    connectionFlow.askPartName (part);

    if (! link.getPartMicroPName ((unsigned char) part))
        connectionFlow.takePartNameReply (part);
}

void MainComponent::onGetMicroPNameList (MidiVelmor*, unsigned char, unsigned char, const juce::StringArray& names)
{
    juce::Logger::writeToLog ("onGetMicroPNameList");

    postToPanel ([this, names]
                 {
                     microPCombo.clear (juce::sendNotificationAsync);

                     for (int i = 0; i < nameListSize; ++i)
                         showListEntry (i, entryText (i, names[i])); });
}

void MainComponent::onGetMicroPName (MidiVelmor*, unsigned char, unsigned char index, const juce::String& name)
{
    juce::Logger::writeToLog ("onGetMicroPName");

    // Runs on "MidiProcessing": the list changes on the message thread, in the
    // order of the replies and before any later report of the link.
    postToPanel ([this, index, text = entryText (index, name)]
                 {
                     if (isFollowingConnection())
                         showListEntry (index, text); });
}

void MainComponent::showListEntry (int index, const juce::String& text)
{
    const auto id = index + 1;
    // The panel waits with nothing selected: an entry selected since is the
    // user's pick, which ends the wait at once, although its notification may
    // still be queued behind this entry.
    const auto waitedFor = id == connectionFlow.getWaitingSelection() && microPCombo.getSelectedId() == 0;
    // The shown text of a selected entry follows its new text only when
    // selected again.
    const auto selected = waitedFor || id == microPCombo.getSelectedId();

    // Names that came out of order may have put an entry past its index:
    // an id is never added twice.
    if (microPCombo.indexOfItemId (id) >= 0)
        microPCombo.changeItemText (id, text);
    else if (index >= microPCombo.getNumItems())
        microPCombo.addItem (text, id);
    else
        return;

    if (selected)
        selectListEntry (id);
}

void MainComponent::selectListEntry (int id)
{
    // An entry that has not arrived yet is selected when it does.
    const auto present = microPCombo.indexOfItemId (id) >= 0;
    connectionFlow.setWaitingSelection (present ? 0 : id);
    microPCombo.setSelectedId (present ? id : 0, juce::dontSendNotification);
}

void MainComponent::onGetPartMicroPName (MidiVelmor*, unsigned char, unsigned char, unsigned char, const juce::String&)
{
    juce::Logger::writeToLog ("onGetPartMicroPName");
}

void MainComponent::onGetPartParameters (MidiVelmor*, unsigned char, unsigned char, unsigned char)
{
    juce::Logger::writeToLog ("onGetPartParameters");
}

void MainComponent::onGetMicroPData (MidiVelmor*, unsigned char, unsigned char, const ST_MICROPERFORMANCE*)
{
    juce::Logger::writeToLog ("onGetMicroPData");
}

void MainComponent::onParamChanged (MidiVelmor*, unsigned char part, unsigned char param, unsigned char value)
{
    juce::Logger::writeToLog ("onParamChanged(" + listOf ({ part, param, value }) + ")");

    postToPanel ([this, param, value]
                 {
                     if (param < PART_PARAM_COUNT)
                         partSliders[param]->setValue (value, juce::dontSendNotification); });
}

void MainComponent::onPianoFineTuningChanged (MidiVelmor*, unsigned char key, unsigned char value)
{
    juce::Logger::writeToLog ("onPianoFineTuningChanged(" + listOf ({ key, value }) + ")");
}

void MainComponent::onException (MidiVelmor*, MidiVelmor::Exception exception)
{
    juce::Logger::writeToLog ("onException(" + juce::String ((int) exception) + ")");
}

void MainComponent::onSoundMessage (const juce::Message& message)
{
    const auto* sound = dynamic_cast<const SoundMessage*> (&message);

    if (sound == nullptr)
        return;

    juce::Logger::writeToLog ("onSoundChanged(" + listOf ({ sound->channel, sound->bank, sound->program }) + ")");

    // Also the bank 255 that the link reports before any bank select.
    if (sound->bank >= firstLayerBank)
    {
        midi.getLayerMode();
        return;
    }

    if (isPart (sound->channel))
        followPartBank (sound->channel, sound->bank, [this, part = sound->channel]
                        { askPartName (midi, part); });
}

void MainComponent::onPartMessage (const juce::Message& message)
{
    const auto* reply = dynamic_cast<const PartMessage*> (&message);

    if (reply == nullptr || ! isPart (reply->part))
        return;

    // The instrument also names the part at the head of the part's data, so a
    // name the panel did not ask for counts only when it brings a new bank:
    // else each load would ask for the next one.
    if (! connectionFlow.takePartNameReply (reply->part) && reply->bank == partBank[(size_t) reply->part])
        return;

    followPartBank (reply->part, reply->bank, [this, part = reply->part, number = reply->number]
                    {
                        midi.getPartMicroPData ((unsigned char) part);
                        selectListEntry (number + 1); });
}

void MainComponent::followPartBank (int part, int bank, const std::function<void()>& loadPart)
{
    partBank[(size_t) part] = bank;

    // The entry waiting for its name is the edited part's sound: a new sound
    // of that part, or another part taken up for editing, outdates it.
    if (part == currentPart || bank == editableBank)
        connectionFlow.setWaitingSelection (0);

    if (bank == editableBank)
    {
        enableAllControls();
        currentPart = part;
        midi.editChannel = (unsigned char) part;
        loadPart();
        return;
    }

    // Layered, the other part may still be edited, and is preferred when on
    // an editable bank.
    const auto other = 1 - part;

    if (layerMode != 0 && partBank[(size_t) other] == editableBank)
    {
        enableAllControls();

        if (currentPart != other)
        {
            currentPart = other;
            midi.editChannel = (unsigned char) other;

            if (! connectionFlow.isPartNameAsked (other))
                askPartName (midi, other);
        }

        return;
    }

    midi.editChannel = MidiVelmor::none;
    disableAllControls();
}

void MainComponent::onParamMessage (const juce::Message& message)
{
    const auto* report = dynamic_cast<const ParamMessage*> (&message);

    if (report == nullptr || ! juce::isPositiveAndBelow (report->param, PART_PARAM_COUNT))
        return;

    const auto param = report->param;
    const auto value = report->value;

    partSliders[(size_t) param]->setValue (value, juce::dontSendNotification);
    // When paired, the offset slider's handler sends the parameter back once,
    // on the edited part's channel.
    showPartParamValue (param, value);
}

void MainComponent::onTrackParamMessage (const juce::Message& message)
{
    const auto* report = dynamic_cast<const TrackParamMessage*> (&message);

    if (report == nullptr || report->gen != 0 || report->param != currentKeyParam || ! juce::isPositiveAndBelow (report->start, KEY_COUNT))
        return;

    const auto count = juce::jmin (KEY_COUNT - report->start, report->length);

    if (count > 0)
        showShownKeys (report->start, count);
}

void MainComponent::onInfoMessage (const juce::Message& message)
{
    const auto* report = dynamic_cast<const InfoMessage*> (&message);

    if (report == nullptr)
        return;

    iconCombo.setSelectedId (report->iconId);
    // Its handler sends the part parameters back when the model changes.
    templateCombo.setSelectedId (report->templateId + 1, juce::sendNotificationAsync);
}

void MainComponent::onNoteMessage (const juce::Message& message)
{
    const auto* report = dynamic_cast<const NoteMessage*> (&message);

    if (report == nullptr || ! displayKeybNotes)
        return;

    const auto key = report->note - FIRST_KEY_NOTE;

    if (juce::isPositiveAndBelow (key, KEY_COUNT))
        keyView.setNote ((unsigned char) key, report->on != 0);
}
