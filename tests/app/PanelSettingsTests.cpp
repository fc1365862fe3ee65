#include "tests/app/PanelTestSupport.h"

#include <gtest/gtest.h>

namespace
{
using Values = std::vector<std::pair<juce::String, juce::String>>;

juce::StringPairArray pairs (const Values& values)
{
    juce::StringPairArray result (false);

    for (const auto& [key, value] : values)
        result.set (key, value);

    return result;
}

// The settings file as written, one "key=value" a key, in the file's order.
juce::StringArray fileContents (const juce::File& file)
{
    juce::StringArray result;

    if (auto xml = juce::parseXML (file))
        for (auto* value : xml->getChildWithTagNameIterator ("VALUE"))
            result.add (value->getStringAttribute ("name") + "=" + value->getStringAttribute ("val"));

    return result;
}

float desktopScale()
{
    return juce::Desktop::getInstance().getGlobalScaleFactor();
}

TEST (PanelSettings, StartUpReadsTheScaleAndLimitsItToTheDisplay)
{
    struct Case
    {
        const char* name;
        Values user;
        Values system;
        WindowScale::MainDisplay display;
        int factor;
        int comboId;
    };

    const Case cases[] = {
        { "no file", {}, {}, { 1280, 1024, 1.0 }, 100, 100 },
        { "stored above the limit", { { "GlobalScaleFactor", "200" } }, {}, { 1920, 1057, 1.0 }, 125, 125 },
        { "not a listed scale", { { "GlobalScaleFactor", "95" } }, {}, { 1440, 877, 1.0 }, 95, 0 },
        { "key in other case", { { "globalscalefactor", "90" } }, {}, { 1280, 1024, 1.0 }, 90, 90 },
        { "only in the system file", { { "MidiInputIndex", "1" } }, { { "GlobalScaleFactor", "150" } }, { 1920, 1200, 1.0 }, 150, 150 },
        { "the user's file first", { { "GlobalScaleFactor", "125" } }, { { "GlobalScaleFactor", "150" } }, { 1920, 1200, 1.0 }, 125, 125 },
        { "zero", { { "GlobalScaleFactor", "0" } }, {}, { 1280, 1024, 1.0 }, 100, 100 },
        { "text", { { "GlobalScaleFactor", "abc" } }, {}, { 1280, 1024, 1.0 }, 100, 100 },
        { "negative", { { "GlobalScaleFactor", "-150" } }, {}, { 1280, 1024, 1.0 }, 100, 100 },
        { "below the smallest scale", { { "GlobalScaleFactor", "50" } }, {}, { 1280, 1024, 1.0 }, 100, 100 },
        { "nothing fits", { { "GlobalScaleFactor", "100" } }, {}, { 640, 480, 1.0 }, 70, 70 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        PanelHarness harness;

        if (! c.user.empty())
            PanelHarness::writeSettings (harness.userSettingsFile(), pairs (c.user));

        if (! c.system.empty())
            PanelHarness::writeSettings (harness.systemSettingsFile(), pairs (c.system));

        const auto userFileBefore = harness.userSettingsFile().loadFileAsString();
        harness.display = c.display;
        harness.build();

        EXPECT_EQ (harness.controls().globalScaleFactor, c.factor);
        EXPECT_EQ (harness.controls().scaleCombo.getSelectedId(), c.comboId);
        EXPECT_FLOAT_EQ (desktopScale(), (float) c.factor * 0.01f);

        // Start-up reads; it never writes.
        harness.destroy();
        EXPECT_EQ (harness.userSettingsFile().loadFileAsString(), userFileBefore);
        EXPECT_EQ (harness.userSettingsFile().existsAsFile(), ! c.user.empty());
    }
}

TEST (PanelSettings, StartUpReadsThePortsAndTheNoteDisplay)
{
    PanelHarness harness;
    PanelHarness::writeSettings (harness.userSettingsFile(), pairs ({ { "MidiInputIndex", "2" }, { "midioutputindex", "3" }, { "DisplayKeybNotes", "0" } }));
    harness.build();

    EXPECT_EQ (harness.controls().midiInputIndex, 2);
    EXPECT_EQ (harness.controls().midiOutputIndex, 3);
    EXPECT_FALSE (harness.controls().displayKeybNotes);
    EXPECT_FALSE (harness.controls().noteButton.getToggleState());
}

TEST (PanelSettings, AScaleChangeIsAppliedWithinTheLimitAndSavesEverySetting)
{
    PanelHarness harness;
    harness.display = { 1366, 744, 1.0 }; // limit 99
    PanelHarness::writeSettings (harness.systemSettingsFile(), pairs ({ { "MidiOutputIndex", "4" } }));
    const auto systemFileBefore = harness.systemSettingsFile().loadFileAsString();
    auto& panel = harness.build();
    auto& c = harness.controls();
    c.displayKeybNotes = false;

    panel.setGlobalScaleFactor (100);

    EXPECT_EQ (c.globalScaleFactor, 90);
    EXPECT_EQ (c.scaleCombo.getSelectedId(), 90);
    EXPECT_FLOAT_EQ (desktopScale(), 0.9f);
    EXPECT_EQ (fileContents (harness.userSettingsFile()),
               juce::StringArray ({ "MidiInputIndex=-1", "MidiOutputIndex=4", "DisplayKeybNotes=0", "GlobalScaleFactor=90" }));
    EXPECT_EQ (harness.systemSettingsFile().loadFileAsString(), systemFileBefore);
}

TEST (PanelSettings, TheScaleComboScalesTheWindowAndCentresIt)
{
    PanelHarness harness;
    auto& panel = harness.build();
    juce::DocumentWindow window ("scale", juce::Colours::black, 0, true);
    window.setContentNonOwned (&panel, false);
    window.setBounds (0, 0, 300, 200);

    harness.controls().scaleCombo.setSelectedId (125, juce::sendNotificationSync);

    EXPECT_FLOAT_EQ (desktopScale(), 1.25f);
    EXPECT_EQ (window.getWidth(), 1024);
    EXPECT_EQ (window.getHeight(), 748);
    EXPECT_EQ (window.getBounds().getCentre(), window.getParentMonitorArea().getCentre());
    EXPECT_TRUE (fileContents (harness.userSettingsFile()).contains ("GlobalScaleFactor=125"));

    window.clearContentComponent();
}

TEST (PanelSettings, AMalformedFileLoadsAsDefaultsAndIsReplacedAtTheNextSave)
{
    PanelHarness harness;
    harness.userSettingsFolder().createDirectory();
    ASSERT_TRUE (harness.userSettingsFile().replaceWithText ("<PROPERTIES><VALUE name=\"GlobalScaleFactor\" val=\"125\""));
    auto& panel = harness.build();
    auto& c = harness.controls();

    EXPECT_EQ (c.globalScaleFactor, 100);
    EXPECT_EQ (c.midiInputIndex, -1);
    EXPECT_TRUE (c.displayKeybNotes);

    panel.setGlobalScaleFactor (90);
    EXPECT_EQ (fileContents (harness.userSettingsFile()),
               juce::StringArray ({ "MidiInputIndex=-1", "MidiOutputIndex=-1", "DisplayKeybNotes=1", "GlobalScaleFactor=90" }));
}

TEST (PanelSettings, AnUnwritableSettingsFolderLosesNothingButTheSave)
{
    PanelHarness harness;
    // A file where the folder should be: nothing can be written there.
    harness.userSettingsFolder().getParentDirectory().createDirectory();
    ASSERT_TRUE (harness.userSettingsFolder().replaceWithText ("not a folder"));
    auto& panel = harness.build();

    panel.setGlobalScaleFactor (90);

    EXPECT_EQ (harness.controls().globalScaleFactor, 90);
    EXPECT_TRUE (harness.userSettingsFolder().existsAsFile());
}
} // namespace
