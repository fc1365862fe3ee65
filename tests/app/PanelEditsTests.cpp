#include "app/PanelTables.h"
#include "tests/app/PanelSessionSupport.h"

#include <cmath>
#include <cstring>

namespace
{
constexpr uint8_t cmdSetTrackParameter = 0x03;
constexpr uint8_t cmdGetPartMicroPData = 0x04;
constexpr uint8_t cmdGetPartMicroPName = 0x08;
constexpr uint8_t cmdPartParameters = 0x0C;

constexpr int keyViewX = 27;
constexpr int keyViewY = 503;
constexpr int keyWidthAtZoom1 = 11;

// The per-key SysEx that the panel sends for keys of the shown table.
std::string keyValuesText (int part, int keyParam, int first, const std::vector<uint8_t>& values)
{
    return sysExText (cmdSetTrackParameter, payloadOf ({ (uint8_t) part, 0, (uint8_t) keyParam, 1, (uint8_t) values.size(), (uint8_t) first }, values));
}

std::string partParametersText (const ST_MICROPERFORMANCE& r, int part)
{
    return sysExText (cmdPartParameters, { (uint8_t) part, r.bank, r.number, r.iconId == 0xFF ? (uint8_t) 0x7F : r.iconId, r.infoBytes[0], r.infoBytes[1], r.infoBytes[2], r.infoBytes[3], r.templateId, r.infoByte });
}

std::vector<uint8_t> keyValuesOf (const KeyView& view)
{
    std::vector<uint8_t> values (KEY_COUNT);
    view.getKeyValues (0, values.data(), KEY_COUNT);
    return values;
}

std::vector<uint8_t> shownTableOf (const ST_MICROPERFORMANCE& record, int keyParam)
{
    return { record.tracks[keyParam], record.tracks[keyParam] + KEY_COUNT };
}

// Centre of key k on the panel at zoom 1, at height y of the key view.
juce::Point<int> keyPoint (int key, int y)
{
    return { keyViewX + key * keyWidthAtZoom1 + keyWidthAtZoom1 / 2, keyViewY + y };
}

// Values over the whole range, outside it too, none repeated next to another.
std::vector<uint8_t> spreadValues()
{
    std::vector<uint8_t> values (KEY_COUNT);

    for (int key = 0; key < KEY_COUNT; ++key)
        values[(size_t) key] = (uint8_t) (5 + (key * 37) % 121);

    return values;
}

class PanelEdits : public ConnectedPanel
{
protected:
    juce::Point<int> sliderPoint (juce::Slider& slider, float proportion)
    {
        const auto b = slider.getBounds();
        return { b.getX() + juce::roundToInt (proportion * (float) b.getWidth()), b.getCentreY() };
    }

    // The shown table in the record and the key view, without a send.
    void showTable (const std::vector<uint8_t>& values)
    {
        changeRecord ([&] (ST_MICROPERFORMANCE& r)
                      { std::memcpy (r.tracks[c().currentKeyParam], values.data(), KEY_COUNT); });
        c().keyView.setKeyValues (0, values.data(), KEY_COUNT);
    }
};

//==============================================================================
TEST_F (PanelEdits, ADraggedPartSliderSendsItsValueAndThePairedParameterOnceMore)
{
    struct Case
    {
        int part;
        int param;
        bool pairedWithShownKeys; // "Fine Tuning" is shown, paired with parameter 17
    };

    const Case cases[] = { { 0, 5, false }, { 0, 17, true }, { 1, 16, false }, { 1, 17, true } };

    for (const auto& testCase : cases)
    {
        SCOPED_TRACE ("part " + std::to_string (testCase.part) + ", parameter " + std::to_string (testCase.param));
        c().currentPart = testCase.part;
        auto& slider = *c().partSliders[(size_t) testCase.param];
        int previous = (int) slider.getValue();
        const auto from = sliderPoint (slider, previous < 64 ? 0.8f : 0.2f);
        const auto to = sliderPoint (slider, previous < 64 ? 0.2f : 0.8f);

        const auto expectStep = [&] (Wire wire)
        {
            const auto value = (int) slider.getValue();
            ASSERT_NE (value, previous) << "the step moves the slider";
            auto expected = nrpnTriple (testCase.part, testCase.param, value);

            if (testCase.pairedWithShownKeys)
                expected = joined (expected, nrpnTriple (testCase.part, testCase.param, value));

            EXPECT_EQ (wire, expected);
            EXPECT_EQ (c().midi.getMicroPCopy().params[testCase.param], value);
            EXPECT_EQ (c().valueLabels[(size_t) testCase.param].getText(), MainComponent::signedNumberToString (value - 64));

            if (testCase.pairedWithShownKeys)
            {
                EXPECT_EQ (c().triangleSlider.getValue(), value);
                EXPECT_EQ (c().triangleLabel.getText(), MainComponent::signedNumberToString (value - 64));
                EXPECT_EQ (c().triangleLabel.getY(), 593 - 2 * (value - 64));
            }

            previous = value;
        };

        // JUCE coalesces the offset slider's notifications: each step settles.
        mouse().press (from);
        expectStep (settleAndTakeWire());
        mouse().drag (to);
        expectStep (settleAndTakeWire());
        mouse().release (to);
        EXPECT_EQ (settleAndTakeWire(), Wire());
        EXPECT_EQ (harness.instrument().getPart (testCase.part).params[(size_t) testCase.param], previous);
    }
}

TEST_F (PanelEdits, AKCircleShowsItsTableAndSendsThePairedParameterOnlyWhenTheOffsetSliderMoves)
{
    changeRecord ([] (ST_MICROPERFORMANCE& r)
                  {
                      r.params[0] = 80; // paired with "Hammer Hardness", k-circle 2
                      r.params[13] = 5; // "String Length", k-circle 10: below the slider's range
                      std::memset (r.tracks[2], 30, KEY_COUNT); });

    struct Click
    {
        int kCircle;
        Wire wire;
        int offset;
    };

    const Click clicks[] = {
        { 2, nrpnTriple (0, 0, 80), 80 },
        { 2, {}, 80 }, // already on
        { 3, nrpnTriple (0, 1, 64), 64 },
        { 0, {}, 64 }, // parameter 17 is 64 too: the offset slider stays
        { 10, nrpnTriple (0, 13, 14), 14 }, // the slider's limit is stored and sent
    };

    for (const auto& click : clicks)
    {
        SCOPED_TRACE ("k-circle " + std::to_string (click.kCircle));
        mouse().click (c().kCircleButtons[(size_t) click.kCircle]);
        EXPECT_EQ (settleAndTakeWire(), click.wire);

        EXPECT_EQ (c().currentKeyParam, click.kCircle);
        EXPECT_EQ (c().keyParamCombo.getText(), PIANO_KEYCB_ITEM_NAME[click.kCircle]);

        for (size_t k = 0; k < c().kCircleButtons.size(); ++k)
            EXPECT_EQ (c().kCircleButtons[k].getToggleState(), (int) k == click.kCircle) << k;

        const auto record = c().midi.getMicroPCopy();
        const auto param = PIANO_KCIRCLE_TO_SLIDER[click.kCircle];
        EXPECT_EQ (c().triangleSlider.getValue(), click.offset);
        EXPECT_EQ (record.params[param], click.offset);
        EXPECT_EQ (keyValuesOf (c().keyView), shownTableOf (record, click.kCircle));
    }

    EXPECT_EQ (keyValuesOf (c().keyView), std::vector<uint8_t> (KEY_COUNT, 64)) << "String Length's table";
    mouse().click (c().kCircleButtons[2]);
    settleAndTakeWire();
    EXPECT_EQ (keyValuesOf (c().keyView), std::vector<uint8_t> (KEY_COUNT, 30));
}

TEST_F (PanelEdits, TheDraggedOffsetSliderSendsThePairedParameterOnceAndMovesItsPartSlider)
{
    mouse().click (c().kCircleButtons[2]); // "Hammer Hardness", paired with parameter 0
    settleAndTakeWire();

    auto& offsetSlider = c().triangleSlider;
    const auto top = offsetSlider.getBounds().getTopLeft() + juce::Point<int> (8, 2);
    const auto bottom = offsetSlider.getBounds().getBottomLeft() + juce::Point<int> (8, -2);

    for (const auto& point : { top, bottom })
    {
        mouse().press (point);
        mouse().release (point);
        const auto value = (int) offsetSlider.getValue();
        EXPECT_EQ (settleAndTakeWire(), nrpnTriple (0, 0, value));
        EXPECT_EQ (c().partSliders[0]->getValue(), value);
        EXPECT_EQ (c().valueLabels[0].getText(), MainComponent::signedNumberToString (value - 64));
        EXPECT_EQ (c().triangleLabel.getText(), MainComponent::signedNumberToString (value - 64));
        EXPECT_EQ (c().midi.getMicroPCopy().params[0], value);
    }

    EXPECT_EQ (c().partSliders[0]->getValue(), 14.0) << "the bottom of the offset slider";
}

TEST_F (PanelEdits, AStrokeOnTheKeyViewSendsEachChangedRangeOfTheShownTable)
{
    mouse().click (c().kCircleButtons[5]); // "Hammer Hit Point": table 5
    settleAndTakeWire();

    // 50 pixels down the view paints 114 - 5000 / 201 = 90 with the centre at 64.
    constexpr uint8_t v = 90;
    mouse().press (keyPoint (10, 50));
    mouse().drag (keyPoint (12, 50));
    mouse().drag (keyPoint (13, 50));
    mouse().release (keyPoint (13, 50));

    EXPECT_EQ (settleAndTakeWire(), (Wire { keyValuesText (0, 5, 10, { v }), keyValuesText (0, 5, 10, { v, v, v }), keyValuesText (0, 5, 12, { v, v }) }));

    const auto table = shownTableOf (c().midi.getMicroPCopy(), 5);
    EXPECT_EQ (table, keyValuesOf (c().keyView));
    EXPECT_EQ (std::count (table.begin(), table.end(), v), 4);
    EXPECT_EQ (c().keyNameLabel.getText(), "A#1");
    EXPECT_EQ (c().keyValueLabel.getText(), "+26");
    expectInstrumentHoldsTheRecord();
}

TEST_F (PanelEdits, HoveringAKeyShowsItsNameAndValueAndSendsNothing)
{
    const uint8_t values[] = { 114, 64, 14 };
    c().keyView.setKeyValues (39, values, 3);

    struct Case
    {
        int key;
        const char* name;
        const char* value;
    };

    for (const auto& testCase : { Case { 39, "C4", "+50" }, Case { 40, "C#4", "0" }, Case { 41, "D4", "-50" } })
    {
        mouse().move (keyPoint (testCase.key, 150));
        EXPECT_EQ (c().keyNameLabel.getText(), testCase.name);
        EXPECT_EQ (c().keyValueLabel.getText(), testCase.value);
    }

    EXPECT_EQ (settleAndTakeWire(), Wire());
    EXPECT_EQ (shownTableOf (c().midi.getMicroPCopy(), 0), std::vector<uint8_t> (KEY_COUNT, 64));
}

TEST_F (PanelEdits, EachWholeTableToolSendsTheShownTableAsItLeavesIt)
{
    const auto start = spreadValues();
    const auto limited = [] (float v)
    { return (uint8_t) (int) juce::jlimit (14.0f, 114.0f, v); };

    struct Case
    {
        const char* tool;
        juce::ImageButton* button;
        bool shift;
        std::function<uint8_t (uint8_t)> result;
    };

    const Case cases[] = {
        { "reset", &c().resetButton, false, [] (uint8_t) -> uint8_t
          { return 64; } },
        { "scale up", &c().scalePlusButton, false, [&] (uint8_t v)
          { return limited (((float) v - 64.0f) * 1.05f + 64.0f); } },
        { "scale down", &c().scaleMinusButton, false, [&] (uint8_t v)
          { return limited (((float) v - 64.0f) * (1.0f / 1.05f) + 64.0f); } },
        { "scale up with Shift", &c().scalePlusButton, true, [&] (uint8_t v)
          { return limited (((float) v - 64.0f) * 1.15f + 64.0f); } },
        { "scale down with Shift", &c().scaleMinusButton, true, [&] (uint8_t v)
          { return limited (((float) v - 64.0f) * (1.0f / 1.15f) + 64.0f); } },
        { "move up", &c().movePlusButton, false, [&] (uint8_t v)
          { return limited ((float) v + 2.0f); } },
        { "move down", &c().moveMinusButton, false, [&] (uint8_t v)
          { return limited ((float) v - 2.0f); } },
        { "move up with Shift", &c().movePlusButton, true, [&] (uint8_t v)
          { return limited ((float) v + 6.0f); } },
        { "move down with Shift", &c().moveMinusButton, true, [&] (uint8_t v)
          { return limited ((float) v - 6.0f); } },
    };

    for (const auto& testCase : cases)
    {
        SCOPED_TRACE (testCase.tool);
        showTable (start);
        mouse().move (testCase.button->getBounds().getCentre());
        mouse().setShift (testCase.shift);
        EXPECT_EQ (c().shiftDown, testCase.shift);

        mouse().click (*testCase.button);

        std::vector<uint8_t> expected;
        for (auto v : start)
            expected.push_back (testCase.result (v));

        EXPECT_EQ (settleAndTakeWire(), Wire { keyValuesText (0, 0, 0, expected) });
        EXPECT_EQ (shownTableOf (c().midi.getMicroPCopy(), 0), expected);
        EXPECT_EQ (keyValuesOf (c().keyView), expected);
    }

    mouse().setShift (false);
    expectInstrumentHoldsTheRecord();
}

TEST_F (PanelEdits, RandomMovesEachKeyByAtMostTwoWithinTheRange)
{
    auto start = spreadValues();
    start[0] = 14;
    start[1] = 114;
    showTable (start);

    mouse().click (c().randomButton);
    const auto wire = settleAndTakeWire();
    const auto drawn = shownTableOf (c().midi.getMicroPCopy(), 0);

    EXPECT_EQ (wire, Wire { keyValuesText (0, 0, 0, drawn) });
    EXPECT_EQ (keyValuesOf (c().keyView), drawn);
    EXPECT_NE (drawn, start);

    for (size_t key = 0; key < drawn.size(); ++key)
    {
        EXPECT_GE (drawn[key], 14) << key;
        EXPECT_LE (drawn[key], 114) << key;

        if (start[key] >= 14 && start[key] <= 114)
        {
            EXPECT_LE (std::abs (drawn[key] - start[key]), 2) << key;
        }
    }

    expectInstrumentHoldsTheRecord();
}

TEST_F (PanelEdits, ZoomStepsBetweenOneAndFourAndTheKeyBarScrollsTheView)
{
    const auto editorWidth = [this]
    { return c().keyView.getViewedComponent()->getWidth(); };
    const auto windowRadius = [this]
    { return c().keyBar.getLookAndFeel().getSliderThumbRadius (c().keyBar); };

    struct Step
    {
        juce::ImageButton* button;
        int zoom;
        int radius;
    };

    const Step steps[] = {
        { &c().zoomInButton, 2, 54 },
        { &c().zoomInButton, 4, 28 },
        { &c().zoomInButton, 4, 28 },
        { &c().zoomOutButton, 2, 54 },
        { &c().zoomOutButton, 1, 106 },
        { &c().zoomOutButton, 1, 106 },
        { &c().zoomInButton, 2, 54 },
    };

    for (const auto& step : steps)
    {
        mouse().click (*step.button);
        EXPECT_EQ (c().keyBarZoom, step.zoom);
        EXPECT_EQ (editorWidth(), 968 * step.zoom);
        EXPECT_EQ (windowRadius(), step.radius);
    }

    // The key bar starts half way, and a new zoom keeps the view at its place.
    EXPECT_EQ (c().keyView.getViewPositionX(), 484);

    const auto bar = c().keyBar.getBounds();
    mouse().press ({ bar.getRight() - 1, bar.getCentreY() });
    mouse().release ({ bar.getRight() - 1, bar.getCentreY() });
    EXPECT_EQ (c().keyBar.getValue(), 1.0);
    EXPECT_EQ (c().keyView.getViewPositionX(), 968);

    mouse().press ({ bar.getX(), bar.getCentreY() });
    mouse().release ({ bar.getX(), bar.getCentreY() });
    EXPECT_EQ (c().keyView.getViewPositionX(), 0);
    EXPECT_EQ (settleAndTakeWire(), Wire());
}

TEST_F (PanelEdits, TheNoteToggleClearsTheLitKeysAndIsNotSaved)
{
    const auto settings = harness.userSettingsFile().loadFileAsString();
    c().keyView.setNote (40, true);

    mouse().click (c().noteButton);
    EXPECT_FALSE (c().displayKeybNotes);
    EXPECT_FALSE (c().noteButton.getToggleState());
    EXPECT_EQ (harness.userSettingsFile().loadFileAsString(), settings);

    mouse().click (c().noteButton);
    EXPECT_TRUE (c().displayKeybNotes);
    EXPECT_EQ (settleAndTakeWire(), Wire());
}

//==============================================================================
TEST_F (PanelEdits, ChoosingAnIconOrAModelStoresAndSendsThePartData)
{
    struct Choice
    {
        const char* what;
        juce::Component* box;
        int item;
        int iconId;
        int templateId;
    };

    // Icon row 4 has id 38; model row 4 is template 11 and row 3 template 0.
    const Choice choices[] = {
        { "icon", &c().iconCombo, 4, 38, 1 },
        { "the same icon again", &c().iconCombo, 4, 38, 1 },
        { "model", &c().templateCombo, 4, 38, 11 },
        { "first model", &c().templateCombo, 3, 38, 0 },
    };

    for (const auto& choice : choices)
    {
        SCOPED_TRACE (choice.what);
        mouse().click (*choice.box);
        ASSERT_TRUE (PanelMouse::chooseInPopup (choice.item));
        const auto wire = settleAndTakeWire();

        const auto record = c().midi.getMicroPCopy();
        EXPECT_EQ (record.iconId, choice.iconId);
        EXPECT_EQ (record.templateId, choice.templateId);
        EXPECT_EQ (wire, Wire { partParametersText (record, 0) });
    }

    expectInstrumentHoldsTheRecord();
}

TEST_F (PanelEdits, AModelOutsideTheListIsNeitherStoredNorSent)
{
    // What the panel does when the instrument reports a model it does not know.
    c().templateCombo.setSelectedId (13, juce::sendNotificationAsync);

    EXPECT_EQ (settleAndTakeWire(), Wire());
    EXPECT_EQ (c().templateCombo.getSelectedId(), 0);
    EXPECT_EQ (c().midi.getMicroPCopy().templateId, 1);
}

TEST_F (PanelEdits, ChoosingAMicroperformanceSelectsItAndAsksForItsNameAndData)
{
    for (const auto* name : { "Concert", "Studio", "Bright" })
        c().microPCombo.addItem (name, c().microPCombo.getNumItems() + 1);

    mouse().click (c().microPCombo);
    ASSERT_TRUE (PanelMouse::chooseInPopup (2));
    EXPECT_EQ (settleAndTakeWire(), (Wire { "B0 00 00", "C0 02", sysExText (cmdGetPartMicroPName, { 0 }), sysExText (cmdGetPartMicroPData, { 0 }) }));

    c().currentPart = -1;
    mouse().click (c().microPCombo);
    ASSERT_TRUE (PanelMouse::chooseInPopup (1));
    EXPECT_EQ (settleAndTakeWire(), Wire()) << "no part is edited";
}

//==============================================================================
// With no part edited, each edit changes the record and the panel and sends
// nothing: no part byte of 255 and no channel message for a part that is not.
TEST_F (PanelEdits, WithNoPartEditedEditsAreKeptAndNothingIsSent)
{
    c().currentPart = -1;
    const auto before = c().midi.getMicroPCopy();

    mouse().click (c().kCircleButtons[1]); // "Volume", paired with parameter 16
    mouse().click (sliderPoint (*c().partSliders[16], 0.9f));
    mouse().press (keyPoint (20, 50));
    mouse().drag (keyPoint (30, 50));
    mouse().release (keyPoint (30, 50));
    mouse().click (c().movePlusButton);
    mouse().click (c().iconCombo);
    ASSERT_TRUE (PanelMouse::chooseInPopup (2));
    mouse().click (c().templateCombo);
    ASSERT_TRUE (PanelMouse::chooseInPopup (5));

    EXPECT_EQ (settleAndTakeWire(), Wire());

    const auto after = c().midi.getMicroPCopy();
    EXPECT_EQ (c().currentKeyParam, 1);
    EXPECT_EQ (after.params[16], (int) c().partSliders[16]->getValue());
    EXPECT_EQ (c().triangleSlider.getValue(), after.params[16]);
    EXPECT_NE (after.params[16], before.params[16]);
    EXPECT_EQ (shownTableOf (after, 1), keyValuesOf (c().keyView));
    EXPECT_NE (shownTableOf (after, 1), shownTableOf (before, 1));
    EXPECT_EQ (after.iconId, PIANO_ICONCB_ITEM_ID[2]);
    EXPECT_EQ (after.templateId, PIANO_MODELCB_ITEM_ID[5]);
}

TEST_F (PanelEdits, AfterASessionOfEditsTheInstrumentHoldsTheEditorsRecord)
{
    mouse().click (c().kCircleButtons[7]);
    mouse().click (sliderPoint (*c().partSliders[6], 0.7f)); // the offset of table 7
    mouse().press (keyPoint (0, 20));

    for (int key = 1; key < KEY_COUNT; key += 3)
        mouse().drag (keyPoint (key, 20 + key * 2));

    mouse().release (keyPoint (87, 190));
    mouse().click (c().scalePlusButton);
    mouse().click (c().movePlusButton);
    mouse().click (c().kCircleButtons[1]);
    mouse().click (c().randomButton);
    mouse().click (sliderPoint (*c().partSliders[9], 0.1f));
    mouse().click (c().iconCombo);
    ASSERT_TRUE (PanelMouse::chooseInPopup (7));
    settleAndTakeWire();

    const auto record = c().midi.getMicroPCopy();
    EXPECT_NE (shownTableOf (record, 7), std::vector<uint8_t> (KEY_COUNT, 64));
    expectInstrumentHoldsTheRecord();
}
} // namespace
