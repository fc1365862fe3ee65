// What the instrument reports, shown on the panel.
#include "app/MainComponent.h"

void MainComponent::onSoundChanged (MidiVelmor*, unsigned char, unsigned char, unsigned char)
{
}

void MainComponent::onGetLayerMode (MidiVelmor*, unsigned char)
{
}

void MainComponent::onGetChangeMode (MidiVelmor*, unsigned char)
{
}

void MainComponent::onGetMicroPNameList (MidiVelmor*, unsigned char, unsigned char, const juce::StringArray&)
{
}

void MainComponent::onGetMicroPName (MidiVelmor*, unsigned char, unsigned char, const juce::String&)
{
}

void MainComponent::onGetPartMicroPName (MidiVelmor*, unsigned char, unsigned char, unsigned char, const juce::String&)
{
}

void MainComponent::onGetPartParameters (MidiVelmor*, unsigned char, unsigned char, unsigned char)
{
}

void MainComponent::onGetMicroPData (MidiVelmor*, unsigned char, unsigned char, const ST_MICROPERFORMANCE*)
{
}

void MainComponent::onParamChanged (MidiVelmor*, unsigned char, unsigned char, unsigned char)
{
}

void MainComponent::onPianoFineTuningChanged (MidiVelmor*, unsigned char, unsigned char)
{
}

void MainComponent::onException (MidiVelmor*, MidiVelmor::Exception)
{
}

void MainComponent::onSoundMessage (const juce::Message&)
{
}

void MainComponent::onPartMessage (const juce::Message&)
{
}

void MainComponent::onParamMessage (const juce::Message&)
{
}

void MainComponent::onTrackParamMessage (const juce::Message&)
{
}

void MainComponent::onInfoMessage (const juce::Message&)
{
}

void MainComponent::onNoteMessage (const juce::Message&)
{
}
