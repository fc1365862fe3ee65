#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "BinaryData.h"
#include "app/MainComponent.h"
#include "app/MainWindow.h"
#include "tests/app/PanelTestSupport.h"
#include "tests/app/XDisplaySession.h"

namespace
{
constexpr auto workAreaProperty = "_NET_WORKAREA";
constexpr auto currentDesktopProperty = "_NET_CURRENT_DESKTOP";

// The hints of a desktop with panels, on the display that other tests share:
// gone again, and the scale back at 100 %, however the test ends.
class PublishedWorkArea
{
public:
    PublishedWorkArea (XDisplaySession& sessionToUse, const std::vector<long>& workAreas, long currentDesktop)
        : session (sessionToUse)
    {
        session.setRootCardinals (workAreaProperty, workAreas);
        session.setRootCardinals (currentDesktopProperty, { currentDesktop });
    }

    ~PublishedWorkArea()
    {
        session.removeRootProperty (workAreaProperty);
        session.removeRootProperty (currentDesktopProperty);
        juce::Desktop::getInstance().setGlobalScaleFactor (1.0f);
    }

private:
    XDisplaySession& session;
};
} // namespace

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

TEST (MainWindow, OpensAtTheLargestListedScaleThatFitsTheDesktopsWorkArea)
{
    XDisplaySession session;
    ASSERT_TRUE (session.isOpen());
    // The second desktop is current, and its panels leave 1280 x 700 of the
    // 1280 x 1024 display: the limit is 93, so 100 % falls back to 90 %.
    const PublishedWorkArea published (session, { 0, 0, 1280, 1024, 0, 24, 1280, 700 }, 1);

    VelmorEditorApplication::MainWindow window;
    const auto windowId = reinterpret_cast<unsigned long> (window.getWindowHandle());

    EXPECT_FLOAT_EQ (juce::Desktop::getInstance().getGlobalScaleFactor(), 0.9f);
    EXPECT_EQ (window.getWidth(), 1024);
    EXPECT_EQ (window.getHeight(), 748);

    // The server learns of the window's size once the framework's requests reach it.
    constexpr int scaledWidth = 922;
    constexpr int scaledHeight = 673;
    PanelHarness::pumpUntil ([&session, windowId]
                             { return session.getSize (windowId).width == scaledWidth; });
    const auto size = session.getSize (windowId);
    EXPECT_EQ (size.width, scaledWidth);
    EXPECT_EQ (size.height, scaledHeight);
}
