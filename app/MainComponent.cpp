#include "app/MainComponent.h"

#include "BinaryData.h"

namespace
{
constexpr int panelWidth = 1024;
constexpr int panelHeight = 748;
} // namespace

MainComponent::MainComponent()
    : backgroundImage (juce::ImageCache::getFromMemory (BinaryData::piano_bg_png, BinaryData::piano_bg_pngSize))
{
    setSize (panelWidth, panelHeight);
}

MainComponent::~MainComponent() = default;

void MainComponent::paint (juce::Graphics& g)
{
    const auto width = backgroundImage.getWidth();
    const auto height = backgroundImage.getHeight();
    g.drawImage (backgroundImage, 0, 0, width, height, 0, 0, width, height);
}
