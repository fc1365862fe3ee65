// Opening and saving microperformance files.
#include "app/MainComponent.h"

void MainComponent::openFile()
{
}

void MainComponent::saveFile()
{
}

void MainComponent::openFile (const juce::File&)
{
}

void MainComponent::saveFile (const juce::File&)
{
}
