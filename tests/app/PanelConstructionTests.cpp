#include "tests/app/PanelTestSupport.h"

#include <gtest/gtest.h>

namespace
{
// The splash is checked a second before its four seconds end, and may take
// its four seconds again from then to go, for a slow build on a loaded machine.
constexpr juce::uint32 splashStillUpMs = 3000;
constexpr int splashGoneWithinMs = 4000;

struct Placement
{
    const char* name;
    juce::Component* control;
    juce::Rectangle<int> bounds;
};

class PanelConstruction : public ::testing::Test
{
protected:
    void SetUp() override
    {
        harness.build();
    }

    // The panel's controls against their places on the 1024 x 748 panel.
    std::vector<Placement> placements()
    {
        auto& c = harness.controls();
        std::vector<Placement> result {
            { "connectButton", &c.connectButton, { 20, 0, 103, 37 } },
            { "openButton", &c.openButton, { 559, 2, 37, 35 } },
            { "saveButton", &c.saveButton, { 615, 2, 37, 35 } },
            { "microPCombo", &c.microPCombo, { 142, 3, 232, 28 } },
            { "templateCombo", &c.templateCombo, { 244, 48, 82, 28 } },
            { "iconCombo", &c.iconCombo, { 398, 2, 36, 32 } },
            { "kCircleImage", &c.kCircleImage, { 22, 464, 38, 38 } },
            { "keyParamCombo", &c.keyParamCombo, { 73, 470, 232, 27 } },
            { "keyNameLabel", &c.keyNameLabel, { 337, 473, 37, 21 } },
            { "keyValueLabel", &c.keyValueLabel, { 396, 473, 75, 21 } },
            { "scaleMinusButton", &c.scaleMinusButton, { 714, 468, 49, 30 } },
            { "scalePlusButton", &c.scalePlusButton, { 763, 468, 49, 30 } },
            { "moveMinusButton", &c.moveMinusButton, { 826, 468, 49, 30 } },
            { "movePlusButton", &c.movePlusButton, { 875, 468, 49, 30 } },
            { "randomButton", &c.randomButton, { 602, 468, 98, 30 } },
            { "resetButton", &c.resetButton, { 490, 468, 98, 30 } },
            { "noteButton", &c.noteButton, { 942, 468, 36, 30 } },
            { "keyBar", &c.keyBar, { 670, 716, 213, 28 } },
            { "keyView", &c.keyView, { 27, 503, 968, 202 } },
            { "triangleSlider", &c.triangleSlider, { 999, 490, 16, 228 } },
            { "triangleLabel", &c.triangleLabel, { -4, 593, 33, 21 } },
            { "zoomInButton", &c.zoomInButton, { 910, 715, 29, 29 } },
            { "zoomOutButton", &c.zoomOutButton, { 955, 715, 29, 29 } },
            { "scaleCombo", &c.scaleCombo, { 31, 720, 63, 25 } },
        };

        const juce::Point<int> kCircles[] = { { 295, 148 }, { 295, 89 }, { 295, 241 }, { 295, 300 }, { 295, 359 }, { 295, 418 }, { 971, 359 }, { 633, 89 }, { 633, 207 }, { 971, 266 }, { 633, 300 }, { 633, 359 } };

        for (size_t k = 0; k < 12; ++k)
            result.push_back ({ "kCircleButtons", &c.kCircleButtons[k], { kCircles[k].x, kCircles[k].y, 38, 38 } });

        const juce::Point<int> sliders[] = { { 20, 239 }, { 20, 298 }, { 20, 357 }, { 20, 416 }, { 696, 357 }, { 696, 416 }, { 358, 87 }, { 358, 146 }, { 358, 205 }, { 696, 87 }, { 696, 146 }, { 696, 205 }, { 696, 264 }, { 358, 298 }, { 358, 357 }, { 358, 416 }, { 20, 87 }, { 20, 146 } };

        for (size_t i = 0; i < 18; ++i)
        {
            result.push_back ({ "partSliders", c.partSliders[i].get(), { sliders[i].x, sliders[i].y, 224, 47 } });
            result.push_back ({ "valueLabels", &c.valueLabels[i], { sliders[i].x + 230, sliders[i].y + 10, 37, 21 } });
        }

        return result;
    }

    // True when a click at the point would reach the control.
    bool clickReaches (juce::Component& control, juce::Point<int> point)
    {
        auto* hit = harness.getPanel().getComponentAt (point);
        return hit != nullptr && (hit == &control || control.isParentOf (hit));
    }

    PanelHarness harness;
};

TEST_F (PanelConstruction, EveryControlIsAVisibleEnabledChildAtItsPlace)
{
    auto& panel = harness.getPanel();
    EXPECT_EQ (panel.getBounds(), juce::Rectangle<int> (0, 0, 1024, 748));

    for (const auto& placement : placements())
    {
        SCOPED_TRACE (placement.name);
        EXPECT_EQ (placement.control->getParentComponent(), &panel);
        EXPECT_EQ (placement.control->getBounds(), placement.bounds);
        EXPECT_TRUE (placement.control->isVisible());
        EXPECT_TRUE (placement.control->isEnabled());
    }

    auto& mask = harness.controls().disabledMask;
    EXPECT_EQ (mask.getBounds(), juce::Rectangle<int> (0, 37, 1024, 711));
    EXPECT_FALSE (mask.isVisible());
}

TEST_F (PanelConstruction, TheMaskCoversTheEditingAreaButLeavesTheTopBarReachable)
{
    auto& c = harness.controls();
    harness.getPanel().setVisible (true);
    c.disabledMask.setVisible (true);

    for (const auto& placement : placements())
    {
        SCOPED_TRACE (placement.name);
        const auto centre = placement.bounds.getCentre();

        if (centre.y < 37)
            EXPECT_TRUE (clickReaches (*placement.control, centre));
        else
            EXPECT_EQ (harness.getPanel().getComponentAt (centre), &c.disabledMask);
    }
}

TEST_F (PanelConstruction, StartsShowingNoConnectionAndTheFirstPerKeyParameter)
{
    auto& c = harness.controls();
    PanelHarness::pump (50);

    EXPECT_EQ (c.microPCombo.getNumItems(), 0);
    EXPECT_EQ (c.microPCombo.getTextWhenNoChoicesAvailable(), "(no choices)");
    EXPECT_EQ (c.templateCombo.getText(), "Model A");
    EXPECT_EQ (c.keyParamCombo.getText(), "Fine Tuning");
    EXPECT_EQ (c.currentKeyParam, 0);
    EXPECT_EQ (c.currentPart, -1);
    EXPECT_EQ (c.iconCombo.getSelectedId(), 0);
    EXPECT_FALSE (c.connectButton.getToggleState());

    for (size_t k = 0; k < c.kCircleButtons.size(); ++k)
        EXPECT_EQ (c.kCircleButtons[k].getToggleState(), k == 0) << k;

    for (size_t i = 0; i < c.partSliders.size(); ++i)
    {
        EXPECT_EQ (c.partSliders[i]->getValue(), 64.0) << i;
        EXPECT_EQ (c.valueLabels[i].getText(), "0") << i;
    }

    EXPECT_EQ (c.triangleSlider.getValue(), 64.0);
    EXPECT_EQ (c.triangleLabel.getText(), "0");
    EXPECT_EQ (c.keyBar.getValue(), 0.5);
    EXPECT_TRUE (c.noteButton.getToggleState());
    EXPECT_EQ (c.scaleCombo.getText(), "100%");
    EXPECT_EQ (c.lastDirectory, juce::File::getCurrentWorkingDirectory());
    EXPECT_TRUE (c.keyNameLabel.getText().isEmpty());
    EXPECT_TRUE (c.keyValueLabel.getText().isEmpty());
}

TEST_F (PanelConstruction, TheModelShownIsTheModelOfTheRecord)
{
    auto& c = harness.controls();

    EXPECT_TRUE (PanelHarness::pumpUntil ([&]
                                          { return c.midi.getMicroPCopy().templateId == 1; }));
    EXPECT_EQ (c.templateCombo.getSelectedId(), c.midi.getMicroPCopy().templateId + 1);
}

TEST_F (PanelConstruction, TheOffsetReadOutFollowsTheCentreLine)
{
    struct Case
    {
        int n;
        const char* text;
        int top;
    };

    const Case cases[] = { { -50, "-50", 693 }, { -5, "-5", 603 }, { 0, "0", 593 }, { 5, "+5", 583 }, { 50, "+50", 493 } };
    auto& c = harness.controls();

    for (const auto& testCase : cases)
    {
        harness.getPanel().setTriangleLabel (testCase.n);
        EXPECT_EQ (c.triangleLabel.getText(), testCase.text);
        EXPECT_EQ (c.triangleLabel.getPosition(), juce::Point<int> (-4, testCase.top));
    }
}

TEST_F (PanelConstruction, ReadOutsShowSignedNumbers)
{
    EXPECT_EQ (MainComponent::signedNumberToString (12), "+12");
    EXPECT_EQ (MainComponent::signedNumberToString (0), "0");
    EXPECT_EQ (MainComponent::signedNumberToString (-7), "-7");

    harness.getPanel().setValueLabel (17, 50);
    EXPECT_EQ (harness.controls().valueLabels[17].getText(), "+50");
}

TEST_F (PanelConstruction, KCirclesFormOneRadioGroup)
{
    auto& circles = harness.controls().kCircleButtons;
    circles[5].triggerClick();
    PanelHarness::pump (50);

    for (size_t k = 0; k < circles.size(); ++k)
        EXPECT_EQ (circles[k].getToggleState(), k == 5) << k;
}

TEST_F (PanelConstruction, DoubleClickReturnsSlidersToTheCentre)
{
    auto& c = harness.controls();

    for (auto* slider : { static_cast<juce::Slider*> (c.partSliders[3].get()), static_cast<juce::Slider*> (&c.triangleSlider) })
    {
        EXPECT_TRUE (slider->isDoubleClickReturnEnabled());
        EXPECT_EQ (slider->getDoubleClickReturnValue(), 64.0);
        EXPECT_EQ (slider->getMinimum(), 14.0);
        EXPECT_EQ (slider->getMaximum(), 114.0);
        EXPECT_EQ (slider->getInterval(), 1.0);
    }
}

//==============================================================================
TEST (PanelTeardown, APanelDestroyedWithItsSplashUpLeavesNoWindowBehind)
{
    const auto windowsBefore = juce::Desktop::getInstance().getNumComponents();

    {
        PanelHarness harness;
        harness.build();
        EXPECT_EQ (juce::Desktop::getInstance().getNumComponents(), windowsBefore + 1);
    }

    EXPECT_EQ (juce::Desktop::getInstance().getNumComponents(), windowsBefore);
}

TEST (PanelTeardown, TheSplashGoesByItselfAfterFourSeconds)
{
    PanelHarness harness;
    // The four seconds count from the splash's making, within build(), which
    // takes a while on a slow or loaded machine.
    const auto start = juce::Time::getMillisecondCounter();
    harness.build();
    const auto windows = juce::Desktop::getInstance().getNumComponents();

    const auto stillUpUntil = start + splashStillUpMs;
    PanelHarness::pump ((int) juce::jmax (0, (int) (stillUpUntil - juce::Time::getMillisecondCounter())));
    EXPECT_EQ (juce::Desktop::getInstance().getNumComponents(), windows);
    EXPECT_TRUE (PanelHarness::pumpUntil ([&]
                                          { return juce::Desktop::getInstance().getNumComponents() == windows - 1; },
                                          splashGoneWithinMs));
}

TEST (PanelTeardown, APanelDestroyedWithAMessageBoxOpenDeletesIt)
{
    PanelHarness harness;
    harness.build();
    harness.getPanel().openMessageBox ({}, "  A box  ", 3);
    PanelHarness::pump (50);
    ASSERT_NE (harness.controls().messageBox, nullptr);

    harness.destroy();
    // The box's callback arrives after the panel has gone and must find nothing.
    PanelHarness::pump (100);
}

TEST (PanelTeardown, APanelDestroyedWhileTheInstrumentStreamsStopsCleanly)
{
    PanelHarness harness;
    harness.build();
    auto& instrument = harness.instrument();
    auto& midi = harness.controls().midi;
    harness.controls().connectButton.setToggleState (true, juce::sendNotification);
    ASSERT_TRUE (PanelHarness::pumpUntil ([&]
                                          { return midi.getConnectionState() == Midi::STATE_CONNECTED; }));

    // Queued on the ports' delivery thread, which is still working through
    // them while the panel goes.
    for (int value = 0; value < 4000; ++value)
    {
        instrument.inject (juce::MidiMessage::controllerEvent (1, 99, 0));
        instrument.inject (juce::MidiMessage::controllerEvent (1, 98, 3));
        instrument.inject (juce::MidiMessage::controllerEvent (1, 6, value % 128));
        instrument.inject (juce::MidiMessage::programChange (1, value % 128));
    }

    PanelHarness::pump (20);
    harness.destroy();
}
} // namespace
