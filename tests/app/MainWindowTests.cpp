#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "BinaryData.h"
#include "app/MainComponent.h"
#include "app/MainWindow.h"

TEST (MainWindow, IsAFixedNativeWindowWithMinimiseAndCloseAroundThePanel)
{
    VelmorEditorApplication::MainWindow window;

    EXPECT_EQ (window.getName(), "Velmor Piano Editor v1.0");
    EXPECT_TRUE (window.isVisible());
    EXPECT_TRUE (window.isOnDesktop());
    EXPECT_TRUE (window.isUsingNativeTitleBar());
    EXPECT_FALSE (window.isResizable());
    EXPECT_EQ (window.getWidth(), 1024);
    EXPECT_EQ (window.getHeight(), 748);

    const auto flags = window.getDesktopWindowStyleFlags();
    EXPECT_NE (flags & juce::ComponentPeer::windowHasMinimiseButton, 0);
    EXPECT_NE (flags & juce::ComponentPeer::windowHasCloseButton, 0);
    EXPECT_EQ (flags & juce::ComponentPeer::windowHasMaximiseButton, 0);
    EXPECT_EQ (flags & juce::ComponentPeer::windowIsResizable, 0);

    auto* panel = dynamic_cast<MainComponent*> (window.getContentComponent());
    ASSERT_NE (panel, nullptr);
    EXPECT_EQ (panel->getBounds(), juce::Rectangle<int> (0, 0, 1024, 748));
}

TEST (MainComponent, PaintsThePanelBackgroundBehindItsControls)
{
    MainComponent panel;
    const auto background = juce::ImageCache::getFromMemory (BinaryData::piano_bg_png, BinaryData::piano_bg_pngSize);
    juce::Image snapshot (juce::Image::ARGB, panel.getWidth(), panel.getHeight(), true);
    juce::Graphics g (snapshot);
    panel.paint (g);

    ASSERT_EQ (snapshot.getBounds(), background.getBounds());
    for (const auto& point : { juce::Point<int> (0, 0), juce::Point<int> (30, 80), juce::Point<int> (512, 600), juce::Point<int> (1023, 747) })
        EXPECT_EQ (snapshot.getPixelAt (point.x, point.y), background.getPixelAt (point.x, point.y)) << point.toString();
}
