#include "app/MainWindow.h"

#include "BinaryData.h"
#include "app/MainComponent.h"
#include "app/PanelTables.h"

VelmorEditorApplication::MainWindow::MainWindow()
    : juce::DocumentWindow ({}, juce::Colours::lightgrey, juce::DocumentWindow::minimiseButton | juce::DocumentWindow::closeButton, true)
{
    setContentOwned (new MainComponent(), false);
    setSize (PANEL_WIDTH, PANEL_HEIGHT);
    centreWithSize (getWidth(), getHeight());
    setUsingNativeTitleBar (true);
    setName (VELMOR_PRODUCT_TITLE);

    if (auto* peer = getPeer())
        peer->setIcon (juce::ImageCache::getFromMemory (BinaryData::icon_16x16_png, BinaryData::icon_16x16_pngSize));

    setVisible (true);
}

VelmorEditorApplication::MainWindow::~MainWindow() = default;

void VelmorEditorApplication::MainWindow::closeButtonPressed()
{
    juce::JUCEApplication::getInstance()->systemRequestedQuit();
}
