#include "tests/app/PanelTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{
class PanelControlStates : public ::testing::Test
{
protected:
    void SetUp() override
    {
        harness.build();
        // The start-up notifications come first.
        PanelHarness::pump (50);
    }

    void changeRecord (const std::function<void (ST_MICROPERFORMANCE&)>& change)
    {
        auto& midi = harness.controls().midi;
        const juce::ScopedLock sl (midi.getRecordLock());
        change (midi.microP);
    }

    // A record in which every value shown differs from the start-up state.
    static void fillDistinct (ST_MICROPERFORMANCE& record)
    {
        std::strcpy (record.name, "Concert Hall");
        record.iconId = 38;
        record.templateId = 11;

        for (int i = 0; i < ST_MICROPERFORMANCE::paramCount; ++i)
            record.params[i] = (unsigned char) (20 + 5 * i);

        for (int key = 0; key < ST_MICROPERFORMANCE::keyCount; ++key)
            record.tracks[0][key] = (unsigned char) (14 + key);
    }

    std::vector<unsigned char> shownKeys()
    {
        std::vector<unsigned char> values (ST_MICROPERFORMANCE::keyCount);
        harness.controls().keyView.getKeyValues (0, values.data(), (unsigned char) values.size());
        return values;
    }

    // Everything but the mask and the three controls of the top bar.
    std::vector<juce::Component*> untouchedByEnabling()
    {
        auto& c = harness.controls();
        std::vector<juce::Component*> result { &c.connectButton, &c.microPCombo, &c.templateCombo, &c.keyView, &c.keyParamCombo, &c.scaleCombo, &c.keyBar, &c.triangleSlider };

        for (auto& slider : c.partSliders)
            result.push_back (slider.get());

        return result;
    }

    PanelHarness harness;
};

TEST_F (PanelControlStates, DisablingShowsTheMaskAndDisablesOnlyTheTopBarEditors)
{
    auto& c = harness.controls();

    harness.getPanel().disableAllControls();

    EXPECT_TRUE (c.disabledMask.isVisible());
    EXPECT_FALSE (c.openButton.isEnabled());
    EXPECT_FALSE (c.saveButton.isEnabled());
    EXPECT_FALSE (c.iconCombo.isEnabled());

    for (auto* control : untouchedByEnabling())
        EXPECT_TRUE (control->isEnabled() && control->isVisible());

    harness.getPanel().enableAllControls();

    EXPECT_FALSE (c.disabledMask.isVisible());
    EXPECT_TRUE (c.openButton.isEnabled());
    EXPECT_TRUE (c.saveButton.isEnabled());
    EXPECT_TRUE (c.iconCombo.isEnabled());
}

TEST_F (PanelControlStates, FillingShowsEveryValueOfTheRecord)
{
    auto& c = harness.controls();
    changeRecord (fillDistinct);

    harness.getPanel().setAllControls();

    EXPECT_EQ (c.microPCombo.getText(), "Concert Hall");
    EXPECT_EQ (c.microPCombo.getSelectedId(), 0);
    EXPECT_EQ (c.iconCombo.getSelectedId(), 38);
    EXPECT_EQ (c.templateCombo.getText(), "Model E");

    for (size_t i = 0; i < c.partSliders.size(); ++i)
        EXPECT_EQ (c.partSliders[i]->getValue(), 20.0 + 5.0 * (double) i) << i;

    const auto keys = shownKeys();

    for (size_t key = 0; key < keys.size(); ++key)
        EXPECT_EQ (keys[key], 14 + key) << key;
}

TEST_F (PanelControlStates, FillingShowsTheNoneValuesAsNothing)
{
    auto& c = harness.controls();
    changeRecord ([] (ST_MICROPERFORMANCE& record)
                  {
                      std::memcpy (record.name, "ABCDEFGHIJKLMNOPQRST", sizeof (record.name));
                      record.iconId = 0xFF;
                      record.templateId = 0; });

    harness.getPanel().setAllControls();

    EXPECT_EQ (c.microPCombo.getText(), "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ (c.iconCombo.getSelectedId(), 0);
    EXPECT_EQ (c.templateCombo.getText(), "Model D");
}

TEST_F (PanelControlStates, ClearingResetsTheRecordAndThePanelAndSendsNothing)
{
    auto& c = harness.controls();
    ASSERT_TRUE (harness.connectLink());
    changeRecord (fillDistinct);
    harness.getPanel().setAllControls();
    PanelHarness::pump (50);
    harness.getPanel().disableAllControls();
    c.keyNameLabel.setText ("C4", juce::dontSendNotification);
    c.keyValueLabel.setText ("+3", juce::dontSendNotification);
    harness.getPorts().clearSentMessages();

    harness.getPanel().clearAllControls();
    PanelHarness::pump (50);

    const auto record = c.midi.getMicroPCopy();
    const auto initial = initialMicroPerformance();
    EXPECT_EQ (std::memcmp (&record, &initial, sizeof (record)), 0);

    EXPECT_TRUE (c.microPCombo.getText().isEmpty());
    EXPECT_EQ (c.microPCombo.getNumItems(), 0);
    EXPECT_EQ (c.iconCombo.getSelectedId(), 0);
    EXPECT_EQ (c.templateCombo.getText(), "Model D");
    EXPECT_TRUE (c.keyNameLabel.getText().isEmpty());
    EXPECT_TRUE (c.keyValueLabel.getText().isEmpty());
    EXPECT_FALSE (c.disabledMask.isVisible());
    EXPECT_TRUE (c.openButton.isEnabled());

    for (size_t i = 0; i < c.partSliders.size(); ++i)
    {
        EXPECT_EQ (c.partSliders[i]->getValue(), 64.0) << i;
        EXPECT_EQ (c.valueLabels[i].getText(), "0") << i;
    }

    for (const auto value : shownKeys())
        EXPECT_EQ (value, 64);

    EXPECT_TRUE (harness.sentWithoutPings().empty());
}
} // namespace
