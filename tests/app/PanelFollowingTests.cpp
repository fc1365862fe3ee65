#include "tests/app/PanelScenario.h"
#include "tests/app/PanelSessionSupport.h"
#include "tests/controls/PeerInput.h"
#include "tests/link/LogFile.h"

#include <algorithm>
#include <cstring>

namespace
{
constexpr int centre = 64;
constexpr unsigned char noChannel = MidiVelmor::none;
// "Fine Tuning", shown from the start, is paired with part parameter 17.
constexpr int pairedParam = 17;
constexpr int unpairedParam = 5;
constexpr int keyColumnWidth = 11;
// More stops than the window has controls that take the keyboard.
constexpr int maxTabStops = 100;

juce::String signedText (int value)
{
    return MainComponent::signedNumberToString (value - centre);
}

// Counts the change notifications a control sends.
struct SliderNotifications : public juce::Slider::Listener
{
    void sliderValueChanged (juce::Slider*) override { ++count; }
    int count = 0;
};

// A part that sends nothing back when shown: the model shown at start and
// the paired parameter where the offset slider starts.
SimulatedInstrument::Part quietShownPart (const std::string& name, int bank, int number, int seed)
{
    auto part = shownPart (name, number, seed);
    part.bank = (uint8_t) bank;
    part.templateId = 1;
    part.params[pairedParam] = centre;
    return part;
}

class PanelFollowing : public PanelScenario
{
protected:
    void expectEditing (int part, bool enabled, unsigned char channel)
    {
        EXPECT_EQ (panel().currentPart, part);
        EXPECT_EQ (panel().midi.editChannel.load(), channel);
        EXPECT_EQ (panel().disabledMask.isVisible(), ! enabled);

        for (auto* control : { static_cast<juce::Component*> (&panel().openButton), static_cast<juce::Component*> (&panel().saveButton), static_cast<juce::Component*> (&panel().iconCombo) })
            EXPECT_EQ (control->isEnabled(), enabled);
    }

    void expectShown (const SimulatedInstrument::Part& part)
    {
        for (size_t i = 0; i < part.params.size(); ++i)
        {
            EXPECT_EQ (panel().partSliders[i]->getValue(), part.params[i]) << i;
            EXPECT_EQ (panel().valueLabels[i].getText(), signedText (part.params[i])) << i;
        }

        EXPECT_EQ (keyValues(), std::vector<int> (part.tracks[0].begin(), part.tracks[0].end()));
        EXPECT_EQ (panel().templateCombo.getSelectedId(), part.templateId + 1);
        EXPECT_EQ (panel().iconCombo.getSelectedId(), part.iconId);
    }

    juce::Image keyViewPicture()
    {
        auto& view = panel().keyView;
        return view.createComponentSnapshot (view.getLocalBounds(), true, 1.0f);
    }

    // The keys whose columns differ between two pictures of the key view.
    static std::vector<int> keysThatDiffer (const juce::Image& a, const juce::Image& b)
    {
        std::vector<int> keys;

        for (int x = 0; x < a.getWidth(); ++x)
        {
            const auto key = x / keyColumnWidth;

            if (! keys.empty() && keys.back() == key)
                continue;

            for (int y = 0; y < a.getHeight(); ++y)
            {
                if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                {
                    keys.push_back (key);
                    break;
                }
            }
        }

        return keys;
    }

    // The panel's key view paints as a fresh view with these values around
    // this centre line does.
    bool keyViewShows (int offset, const std::vector<int>& values)
    {
        KeyView reference;
        reference.setBounds (panel().keyView.getBounds());
        reference.setKeyBorder (WindowScale::getKeyBorder (WindowScale::defaultFactor));
        reference.setOffset ((unsigned char) offset);
        const std::vector<unsigned char> bytes (values.begin(), values.end());
        reference.setKeyValues (0, bytes.data(), (unsigned char) bytes.size());

        return keysThatDiffer (keyViewPicture(), reference.createComponentSnapshot (reference.getLocalBounds(), true, 1.0f)).empty();
    }

    // Every control below the top bar that takes the keyboard focus while
    // editing is on.
    std::vector<std::pair<std::string, juce::Component*>> editingAreaKeyboardControls()
    {
        auto& p = panel();
        std::vector<std::pair<std::string, juce::Component*>> result {
            { "templateCombo", &p.templateCombo },
            { "keyParamCombo", &p.keyParamCombo },
            { "keyView", &p.keyView },
            { "resetButton", &p.resetButton },
            { "randomButton", &p.randomButton },
            { "scaleMinusButton", &p.scaleMinusButton },
            { "scalePlusButton", &p.scalePlusButton },
            { "moveMinusButton", &p.moveMinusButton },
            { "movePlusButton", &p.movePlusButton },
            { "noteButton", &p.noteButton },
            { "zoomInButton", &p.zoomInButton },
            { "zoomOutButton", &p.zoomOutButton },
            { "scaleCombo", &p.scaleCombo },
        };

        for (size_t k = 0; k < p.kCircleButtons.size(); ++k)
            result.push_back ({ "kCircleButtons " + std::to_string (k), &p.kCircleButtons[k] });

        return result;
    }

    // The user clicks the list, which takes the keyboard focus, and closes
    // the popup that the click opened with Escape.
    void focusTheList()
    {
        PeerInput input (harness.getPanel());
        input.click (panel().microPCombo.getBounds().getCentre().toFloat());
        ASSERT_TRUE (PanelHarness::pumpUntil ([this]
                                              { return panel().microPCombo.isMenuActive(); }));
        input.press (juce::KeyPress (juce::KeyPress::escapeKey));
        ASSERT_TRUE (PanelHarness::pumpUntil ([this]
                                              { return ! panel().microPCombo.isMenuActive(); }));
        settle();
        ASSERT_TRUE (panel().microPCombo.hasKeyboardFocus (false));
    }

    void pressReturnAndSpace()
    {
        PeerInput input (harness.getPanel());
        input.press (juce::KeyPress (juce::KeyPress::returnKey));
        input.press (juce::KeyPress (juce::KeyPress::spaceKey, {}, ' '));
        settle();
    }

    // Tabs from the control that has the keyboard focus until the focus is
    // back on it, visiting each control it lands on; the controls in the
    // order the focus reached them, the first one last.
    std::vector<juce::Component*> tabRound (const std::function<void (juce::Component&)>& visit)
    {
        auto* start = juce::Component::getCurrentlyFocusedComponent();
        std::vector<juce::Component*> stops;

        for (int i = 0; i < maxTabStops && start != nullptr; ++i)
        {
            PeerInput (harness.getPanel()).press (juce::KeyPress (juce::KeyPress::tabKey));
            auto* focused = juce::Component::getCurrentlyFocusedComponent();
            stops.push_back (focused);

            if (focused == start || focused == nullptr)
                return stops;

            visit (*focused);
        }

        ADD_FAILURE() << "the focus never came back to where the round began";
        return stops;
    }
};
} // namespace

TEST_F (PanelFollowing, OnePartOnTheEditableBankIsLoadedIntoEveryControl)
{
    auto part = shownPart ("Studio", 5, 3);
    part.params[pairedParam] = 70;
    instrument().setNames (0, { "Grand", "Upright", "Hall", "Bright", "Dark", "Studio", "Soft", "Jazz" });
    instrument().setPart (0, part);
    SliderNotifications offsetSlider;
    panel().triangleSlider.addListener (&offsetSlider);

    // instrument: identity, ping, names, layer mode 0, part 0 on bank 0 #5, its data
    connect();
    panel().triangleSlider.removeListener (&offsetSlider);

    // panel shows: the list numbered from 01 with entry 06 selected, part 0
    // edited and every control showing its microperformance
    ASSERT_EQ (panel().microPCombo.getNumItems(), 8);
    EXPECT_EQ (panel().microPCombo.getItemText (0), "01  Grand");
    EXPECT_EQ (panel().microPCombo.getItemId (7), 8);
    EXPECT_EQ (panel().microPCombo.getSelectedId(), 6);
    EXPECT_EQ (panel().microPCombo.getText(), "06  Studio");
    expectEditing (0, true, 0);
    expectShown (part);
    EXPECT_EQ (panel().triangleSlider.getValue(), 70.0);
    EXPECT_EQ (panel().triangleLabel.getText(), "+6");
    EXPECT_EQ (panel().triangleLabel.getY(), 593 - 2 * 6);
    EXPECT_TRUE (keyViewShows (70, std::vector<int> (part.tracks[0].begin(), part.tracks[0].end())));

    // editor sends: each request once; the model, which differs from the one
    // shown before, goes back once, and so does the parameter paired with the
    // shown per-key parameter, through the offset slider
    EXPECT_EQ (takeWire(), (Wire { "identity?", "names? 0 127", "layer mode?", "part name? 0", "part data? 0", "part parameters 0", "nrpn 0 0:17=70" }));
    EXPECT_EQ (offsetSlider.count, 1);

    const auto log = takeLog();
    EXPECT_TRUE (LogFile::containsInOrder (log, { "onConnect(0)", "onGetMicroPName", "onGetLayerMode" }));
    EXPECT_EQ (LogFile::count (log, "onGetMicroPName"), 8);
}

TEST_F (PanelFollowing, ReportsAfterLoadingMoveOnlyWhatTheyConcern)
{
    const auto part = quietShownPart ("Studio", 0, 1, 3);
    instrument().setNames (0, { "Grand", "Studio" });
    instrument().setPart (0, part);
    connect();
    takeWire();

    auto keys = keyValues();
    auto shownIcon = part.iconId;
    auto shownModel = part.templateId + 1;
    auto offset = (int) part.params[pairedParam];
    std::vector<int> sliders (part.params.begin(), part.params.end());

    struct Step
    {
        const char* instrumentSends;
        std::vector<juce::MidiMessage> messages;
        std::function<void()> panelShows;
        Wire editorSends;
        int offsetNotifications;
    };

    const std::vector<Step> steps {
        { "the paired parameter", FromInstrument::nrpn (0, 0, pairedParam, 80), [&]
          { sliders[pairedParam] = 80; offset = 80; },
          { "nrpn 0 0:17=80" },
          1 },
        { "an unpaired parameter", FromInstrument::nrpn (0, 0, unpairedParam, 30), [&]
          { sliders[unpairedParam] = 30; },
          {},
          0 },
        { "keys 10 to 12 of the shown per-key parameter", { FromInstrument::perKeyBlock (0, 0, 10, { 20, 21, 22 }) }, [&]
          { keys[10] = 20; keys[11] = 21; keys[12] = 22; },
          {},
          0 },
        { "keys 20 and 21 of the shown parameter, of generation 1", { FromInstrument::perKeyBlock (1, 0, 20, { 30, 31 }) }, [] {}, {}, 0 },
        { "keys 0 and 1 of another per-key parameter", { FromInstrument::perKeyBlock (0, 3, 0, { 40, 41 }) }, [] {}, {}, 0 },
        { "an icon and a model", { FromInstrument::partParameters (40, 9) }, [&]
          { shownIcon = 40; shownModel = 10; },
          { "part parameters 0" },
          0 },
        { "the same icon and model again", { FromInstrument::partParameters (40, 9) }, [] {}, {}, 0 },
    };

    for (const auto& step : steps)
    {
        SCOPED_TRACE (step.instrumentSends);
        SliderNotifications offsetSlider;
        panel().triangleSlider.addListener (&offsetSlider);

        send (step.messages);
        settle();
        panel().triangleSlider.removeListener (&offsetSlider);
        step.panelShows();

        for (size_t i = 0; i < sliders.size(); ++i)
        {
            EXPECT_EQ (panel().partSliders[i]->getValue(), sliders[i]) << i;
            EXPECT_EQ (panel().valueLabels[i].getText(), signedText (sliders[i])) << i;
        }

        EXPECT_EQ (keyValues(), keys);
        EXPECT_EQ (panel().triangleSlider.getValue(), offset);
        EXPECT_EQ (panel().triangleLabel.getText(), signedText (offset));
        EXPECT_TRUE (keyViewShows (offset, keys));
        EXPECT_EQ (panel().iconCombo.getSelectedId(), shownIcon);
        EXPECT_EQ (panel().templateCombo.getSelectedId(), shownModel);
        EXPECT_EQ (takeWire(), step.editorSends);
        EXPECT_EQ (offsetSlider.count, step.offsetNotifications);
    }

    // The record holds what was not drawn.
    const auto record = panel().midi.getMicroPCopy();
    EXPECT_EQ (record.tracks[0][20], 30);
    EXPECT_EQ (record.tracks[3][1], 41);
}

TEST_F (PanelFollowing, PlayedNotesLightTheirKeysWhileTheNoteDisplayIsOn)
{
    instrument().setPart (0, quietShownPart ("Studio", 0, 0, 2));
    connect();
    const auto dark = keyViewPicture();

    struct Step
    {
        const char* instrumentSends;
        juce::MidiMessage message;
        bool displayOn;
        std::vector<int> litKeys;
    };

    const Step steps[] = {
        { "note on 21", juce::MidiMessage::noteOn (1, 21, 0.5f), true, { 0 } },
        { "note on 108", juce::MidiMessage::noteOn (1, 108, 0.5f), true, { 0, 87 } },
        { "note off 21", juce::MidiMessage::noteOff (1, 21), true, { 87 } },
        { "note on 108 with velocity 0", juce::MidiMessage::noteOn (1, 108, (juce::uint8) 0), true, {} },
        { "note on 20, below the keyboard", juce::MidiMessage::noteOn (1, 20, 0.5f), true, {} },
        { "note on 109, above it", juce::MidiMessage::noteOn (1, 109, 0.5f), true, {} },
        { "note on 60 on the other part's channel", juce::MidiMessage::noteOn (2, 60, 0.5f), true, {} },
        { "note on 60 with the display off", juce::MidiMessage::noteOn (1, 60, 0.5f), false, {} },
    };

    for (const auto& step : steps)
    {
        SCOPED_TRACE (step.instrumentSends);
        panel().displayKeybNotes = step.displayOn;
        send (step.message);
        settle();
        EXPECT_EQ (keysThatDiffer (dark, keyViewPicture()), step.litKeys);
    }
}

TEST_F (PanelFollowing, OnePartFollowsTheBankOfEachSound)
{
    instrument().setNames (0, { "Grand", "Studio", "Hall" });
    instrument().setPart (0, quietShownPart ("Hall", 0, 2, 4));
    connect();
    takeWire();

    struct Step
    {
        const char* instrumentSends;
        std::vector<juce::MidiMessage> messages;
        bool enabled;
        unsigned char editChannel;
        int part0Bank;
        Wire editorSends;
    };

    const Step steps[] = {
        { "part 0 plays bank 1", FromInstrument::programChange (0, 1, 3), false, noChannel, 1, {} },
        { "part 0 plays bank 0", FromInstrument::programChange (0, 0, 2), true, 0, 0, { "part name? 0", "part data? 0" } },
        { "part 0 plays bank 64: the layer mode may have changed", FromInstrument::programChange (0, 64, 0), true, 0, 0, { "layer mode?", "part name? 0", "part data? 0" } },
        { "a sound on channel 5", FromInstrument::programChange (5, 3, 9), true, 0, 0, {} },
        { "a sound of bank 70 on channel 5", FromInstrument::programChange (5, 70, 9), true, 0, 0, { "layer mode?", "part name? 0", "part data? 0" } },
    };

    for (const auto& step : steps)
    {
        SCOPED_TRACE (step.instrumentSends);
        send (step.messages);
        settle();

        expectEditing (0, step.enabled, step.editChannel);
        EXPECT_EQ (panel().partBank, (std::array<int, 2> { step.part0Bank, 0 }));
        EXPECT_EQ (takeWire(), step.editorSends);
    }

    EXPECT_TRUE (LogFile::containsInOrder (takeLog(), { "onSoundChanged(0, 1, 3)", "onSoundChanged(0, 0, 2)", "onSoundChanged(0, 64, 0)", "onSoundChanged(5, 3, 9)", "onSoundChanged(5, 70, 9)" }));
}

TEST_F (PanelFollowing, TheLayerModeByReplyOrByControllerDecidesWhichPartsAreAskedFor)
{
    const auto main = quietShownPart ("Main", 0, 2, 4);
    const auto layer = quietShownPart ("Layer", 0, 3, 6);
    instrument().setNames (0, { "A", "B", "Main", "Layer" });
    instrument().setPart (0, main);
    instrument().setPart (1, layer);
    connect();
    takeWire();

    // instrument plays bank 64, then answers layer mode 1 | part 1, reported
    // last, is edited | both parts asked for
    instrument().setLayerMode (1);
    send (FromInstrument::programChange (0, 64, 0));
    settle();

    EXPECT_EQ (panel().layerMode.load(), 1);
    expectEditing (1, true, 1);
    expectShown (layer);
    EXPECT_EQ (panel().microPCombo.getText(), "04  Layer");
    EXPECT_EQ (takeWire(), (Wire { "layer mode?", "part name? 0", "part name? 1", "part data? 0", "part data? 1" }));

    // instrument sends controller 102 = 0 | part 0 edited | part 0 asked for
    send (FromInstrument::changeMode (0));
    settle();

    EXPECT_EQ (panel().layerMode.load(), 0);
    expectEditing (0, true, 0);
    expectShown (main);
    EXPECT_EQ (takeWire(), (Wire { "part name? 0", "part data? 0" }));
    EXPECT_TRUE (LogFile::containsInOrder (takeLog(), { "onGetLayerMode", "onGetChangeMode" }));
}

TEST_F (PanelFollowing, LayeredTheControlsAreEnabledWhileEitherPartPlaysTheEditableBank)
{
    auto main = quietShownPart ("Main", 0, 2, 4);
    auto layer = quietShownPart ("Layer", 3, 7, 6);
    instrument().setLayerMode (1);
    instrument().setPart (0, main);
    instrument().setPart (1, layer);

    // part 0 on bank 0, part 1 on bank 3 | part 0 edited
    connect();
    expectEditing (0, true, 0);
    takeWire();

    struct Step
    {
        const char* instrumentSends;
        int part;
        int bank;
        int editedPart;
        bool enabled;
        unsigned char editChannel;
        Wire editorSends;
    };

    const Step steps[] = {
        { "part 1 plays bank 4", 1, 4, 0, true, 0, {} },
        { "part 0 leaves the editable bank too", 0, 2, 0, false, noChannel, {} },
        { "part 0 comes back to the editable bank", 0, 0, 0, true, 0, { "part name? 0", "part data? 0" } },
        { "part 1 plays bank 0 as well, and becomes the edited part", 1, 0, 1, true, 1, { "part name? 1", "part data? 1" } },
        { "part 1 leaves it: part 0 is edited again", 1, 5, 0, true, 0, { "part name? 0", "part data? 0" } },
    };

    for (const auto& step : steps)
    {
        SCOPED_TRACE (step.instrumentSends);
        auto& contents = step.part == 0 ? main : layer;
        contents.bank = (uint8_t) step.bank;
        instrument().setPart (step.part, contents);

        send (FromInstrument::programChange (step.part, step.bank, contents.number));
        settle();

        expectEditing (step.editedPart, step.enabled, step.editChannel);
        EXPECT_EQ (takeWire(), step.editorSends);
    }

    expectShown (main);
}

TEST_F (PanelFollowing, TheListEntryOfThePartIsSelectedByItsIdAlsoWhenItArrivesLater)
{
    instrument().setNames (0, { "A", "B", "C" });
    instrument().setPart (0, quietShownPart ("F", 0, 5, 2));
    connect();

    // part 0 plays number 5, whose name has not come | no entry selected
    EXPECT_EQ (panel().microPCombo.getNumItems(), 3);
    EXPECT_EQ (panel().microPCombo.getSelectedId(), 0);
    EXPECT_EQ (panel().microPCombo.getText(), "");

    struct Step
    {
        const char* instrumentSends;
        int index;
        const char* name;
        juce::StringArray entries;
        const char* shown;
    };

    const Step steps[] = {
        { "the name of number 5", 5, "F", { "01  A", "02  B", "03  C", "06  F" }, "06  F" },
        { "the name of number 4, after it", 4, "E", { "01  A", "02  B", "03  C", "06  F", "05  E" }, "06  F" },
        { "a new name for number 1", 1, "Bee", { "01  A", "02  Bee", "03  C", "06  F", "05  E" }, "06  F" },
        { "a new name for number 5", 5, "Fa", { "01  A", "02  Bee", "03  C", "06  Fa", "05  E" }, "06  Fa" },
    };

    for (const auto& step : steps)
    {
        SCOPED_TRACE (step.instrumentSends);
        send (FromInstrument::name (step.index, step.name));
        settle();

        juce::StringArray entries;

        for (int i = 0; i < panel().microPCombo.getNumItems(); ++i)
        {
            EXPECT_EQ (panel().microPCombo.getItemId (i), panel().microPCombo.getItemText (i).getIntValue());
            entries.add (panel().microPCombo.getItemText (i));
        }

        EXPECT_EQ (entries, step.entries);
        EXPECT_EQ (panel().microPCombo.getSelectedId(), 6);
        EXPECT_EQ (panel().microPCombo.getText(), step.shown);
    }
}

TEST_F (PanelFollowing, PickingAnEditableMicroperformanceWhileMaskedBringsEditingBack)
{
    auto part = quietShownPart ("Hall", 0, 1, 4);
    instrument().setNames (0, { "Grand", "Hall", "Studio" });
    instrument().setPart (0, part);
    connect();

    // instrument: part 0 plays bank 2 | masked, no edit channel |
    send (FromInstrument::programChange (0, 2, 5));
    settle();
    expectEditing (0, false, noChannel);
    takeWire();

    // user picks 03 in the list | editing back on part 0, showing it | the
    // sound, its name and its data asked for, and the data again on the reply
    part = quietShownPart ("Studio", 0, 2, 7);
    instrument().setPart (0, part);
    panel().microPCombo.setSelectedId (3, juce::sendNotificationSync);
    settle();

    expectEditing (0, true, 0);
    expectShown (part);
    EXPECT_EQ (panel().microPCombo.getText(), "03  Studio");
    EXPECT_EQ (takeWire(), (Wire { "cc 0 0=0", "program 0=2", "part name? 0", "part data? 0", "part data? 0" }));
}

TEST_F (PanelFollowing, AnEntryWaitingForItsNameGivesWayToTheUsersChoiceAndToANewerPartReply)
{
    struct Case
    {
        const char* meanwhile;
        std::function<void()> act;
        int selectedId;
        juce::String shown;
    };

    const Case cases[] = {
        { "the user picks 02", [this]
          { panel().microPCombo.setSelectedId (2, juce::sendNotificationSync); },
          2,
          "02  B" },
        { "part 0 is reported playing 03", [this]
          {
              instrument().setPart (0, quietShownPart ("C", 0, 2, 3));
              send (FromInstrument::programChange (0, 0, 2));
          },
          3,
          "03  C" },
        { "part 0 is reported on bank 2", [this]
          {
              instrument().setPart (0, quietShownPart ("Organ", 2, 5, 3));
              send (FromInstrument::changeMode (0));
          },
          0,
          "" },
    };

    instrument().setNames (0, { "A", "B", "C" });

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.meanwhile);
        // part 0 plays number 5, whose name has not come
        instrument().setPart (0, quietShownPart ("F", 0, 5, 2));
        connect();
        ASSERT_EQ (panel().microPCombo.getSelectedId(), 0);

        c.act();
        settle();
        send (FromInstrument::name (5, "F"));
        settle();

        EXPECT_EQ (panel().microPCombo.getNumItems(), 4);
        EXPECT_EQ (panel().microPCombo.getSelectedId(), c.selectedId);
        EXPECT_EQ (panel().microPCombo.getText(), c.shown);

        // the user switches off, for the next case
        clickConnect();
        settle();
    }
}

TEST_F (PanelFollowing, WhileMaskedTheKeyboardReachesOnlyTheConnectToggleAndTheList)
{
    instrument().setNames (0, { "Grand", "Hall" });
    instrument().setPart (0, quietShownPart ("Hall", 0, 1, 4));
    connect();

    // a tool has the keyboard focus when part 0 goes to bank 2 | masked, and
    // no control under the mask has the focus (the window may hand it to the
    // connect toggle when it is activated again)
    panel().resetButton.grabKeyboardFocus();
    ASSERT_TRUE (panel().resetButton.hasKeyboardFocus (false));
    send (FromInstrument::programChange (0, 2, 5));
    settle();
    expectEditing (0, false, noChannel);

    for (const auto& [name, control] : editingAreaKeyboardControls())
        EXPECT_FALSE (control->hasKeyboardFocus (true)) << name;

    takeWire();
    const auto record = panel().midi.getMicroPCopy();

    // user clicks the list, then tabs round the window pressing Return and
    // space wherever the focus lands, but on the connect toggle, whose
    // Return switches the connection off | the focus goes between the two
    // controls above the mask | nothing is sent, nothing changes
    focusTheList();
    const auto stops = tabRound ([this] (juce::Component& control)
                                 {
                                     if (&control != &panel().connectButton)
                                         pressReturnAndSpace(); });

    EXPECT_EQ (stops, (std::vector<juce::Component*> { &panel().connectButton, &panel().microPCombo }));
    EXPECT_EQ (takeWire(), Wire {});
    const auto after = panel().midi.getMicroPCopy();
    EXPECT_EQ (std::memcmp (&after, &record, sizeof (record)), 0);
    expectEditing (0, false, noChannel);
}

TEST_F (PanelFollowing, OnceTheMaskIsGoneTheKeyboardReachesTheEditingAreaAgain)
{
    instrument().setNames (0, { "Grand", "Hall" });
    instrument().setPart (0, quietShownPart ("Hall", 0, 1, 4));
    connect();

    // instrument: part 0 goes to bank 2, then back to bank 0 | editing on
    send (FromInstrument::programChange (0, 2, 5));
    settle();
    send (FromInstrument::programChange (0, 0, 1));
    settle();
    expectEditing (0, true, 0);
    takeWire();

    // user clicks the list and tabs round the window, pressing Return on the
    // reset tool | every control of the editing area takes the focus | the
    // reset acts: the shown table is 64 throughout and sent
    focusTheList();
    const auto stops = tabRound ([this] (juce::Component& control)
                                 {
                                     if (&control == &panel().resetButton)
                                         pressReturnAndSpace(); });

    for (const auto& [name, control] : editingAreaKeyboardControls())
        EXPECT_NE (std::find (stops.begin(), stops.end(), control), stops.end()) << name;

    EXPECT_EQ (takeWire(), Wire { "per-key 0 0 0 1 88 0" });
    EXPECT_EQ (keyValues(), std::vector<int> (KeyView::keyCount, centre));
    const auto shown = instrument().getPart (0).tracks[0];
    EXPECT_EQ (std::vector<int> (shown.begin(), shown.end()), std::vector<int> (KeyView::keyCount, centre));
}

TEST_F (PanelFollowing, APopupOpenUnderTheMaskClosesWithoutAChoiceWhenTheMaskGoesUp)
{
    instrument().setNames (0, { "Grand", "Hall" });
    instrument().setPart (0, quietShownPart ("Hall", 0, 1, 4));
    connect();

    // user opens the model box's popup
    PeerInput input (harness.getPanel());
    input.click (panel().templateCombo.getBounds().getCentre().toFloat());
    ASSERT_TRUE (PanelHarness::pumpUntil ([this]
                                          { return panel().templateCombo.isMenuActive(); }));
    const auto model = panel().templateCombo.getSelectedId();

    // instrument: part 0 goes to bank 2 | masked, and the popup is gone
    // without a choice, so nothing of it can reach the protected sound
    send (FromInstrument::programChange (0, 2, 5));
    settle();
    expectEditing (0, false, noChannel);
    EXPECT_TRUE (PanelHarness::pumpUntil ([this]
                                          { return ! panel().templateCombo.isMenuActive(); }));
    EXPECT_EQ (panel().templateCombo.getSelectedId(), model);
}

TEST_F (PanelFollowing, AGestureUnderWayWhenTheMaskGoesUpEndsThereAndTheNextOneEditsAsBefore)
{
    // Points in panel pixels, at a proportion of a slider's length.
    const auto alongX = [] (juce::Component& slider, float proportion)
    {
        const auto b = slider.getBounds();
        return juce::Point<int> (b.getX() + juce::roundToInt (proportion * (float) b.getWidth()), b.getCentreY());
    };
    const auto alongY = [] (juce::Component& slider, float proportion)
    {
        const auto b = slider.getBounds();
        return juce::Point<int> (b.getCentreX(), b.getY() + juce::roundToInt (proportion * (float) b.getHeight()));
    };
    const auto keyPoint = [this] (int key, int y)
    {
        return panel().keyView.getPosition() + juce::Point<int> (key * keyColumnWidth + keyColumnWidth / 2, y);
    };

    auto& partSlider = *panel().partSliders[unpairedParam];
    auto& offsetSlider = panel().triangleSlider;

    struct Gesture
    {
        const char* what;
        // Up to the moment the instrument reports another bank, and whether it is under way then.
        std::function<void (PanelMouse&)> begin;
        std::function<bool (const Wire& sent)> isUnderWay;
        // From there to the release.
        std::function<void (PanelMouse&)> rest;
        std::function<bool (const ST_MICROPERFORMANCE&)> showsTheRecord;
    };

    const auto sentSomething = [] (const Wire& sent)
    { return ! sent.empty(); };
    // A press and the drag steps after it, held.
    const auto pressThrough = [] (std::vector<juce::Point<int>> points)
    {
        return [points] (PanelMouse& mouse)
        {
            mouse.press (points.front());

            for (auto point = points.begin() + 1; point != points.end(); ++point)
                mouse.drag (*point);
        };
    };
    // Drag steps, and the release where the last ends.
    const auto dragAndRelease = [] (std::vector<juce::Point<int>> points)
    {
        return [points] (PanelMouse& mouse)
        {
            for (const auto& point : points)
                mouse.drag (point);

            mouse.release (points.back());
        };
    };

    const Gesture gestures[] = {
        { "a stroke on the key view",
          pressThrough ({ keyPoint (10, 50), keyPoint (14, 50) }),
          sentSomething,
          dragAndRelease ({ keyPoint (20, 150), keyPoint (30, 20) }),
          [this] (const ST_MICROPERFORMANCE& r)
          { return keyValues() == std::vector<int> (r.tracks[0], r.tracks[0] + KeyView::keyCount); } },
        { "a part slider's drag",
          pressThrough ({ alongX (partSlider, 0.8f), alongX (partSlider, 0.7f) }),
          sentSomething,
          dragAndRelease ({ alongX (partSlider, 0.3f), alongX (partSlider, 0.2f) }),
          [&] (const ST_MICROPERFORMANCE& r)
          { return partSlider.getValue() == r.params[unpairedParam] && panel().valueLabels[unpairedParam].getText() == signedText (r.params[unpairedParam]); } },
        { "the offset slider's drag",
          pressThrough ({ alongY (offsetSlider, 0.3f), alongY (offsetSlider, 0.4f) }),
          sentSomething,
          dragAndRelease ({ alongY (offsetSlider, 0.7f), alongY (offsetSlider, 0.9f) }),
          [&] (const ST_MICROPERFORMANCE& r)
          { return offsetSlider.getValue() == r.params[pairedParam] && panel().partSliders[pairedParam]->getValue() == r.params[pairedParam]; } },
        { "a choice in the icon box's popup", [this] (PanelMouse& mouse)
          { mouse.click (panel().iconCombo); },
          [this] (const Wire&)
          { return panel().iconCombo.isMenuVisible(); },
          [this] (PanelMouse&)
          {
              // Icon row 4 is not the part's icon.
              if (panel().iconCombo.isMenuVisible())
                  PanelMouse::chooseInPopup (4); },
          [this] (const ST_MICROPERFORMANCE& r)
          { return panel().iconCombo.getSelectedId() == r.iconId && ! panel().iconCombo.isMenuVisible(); } },
    };

    struct Meanwhile
    {
        const char* what;
        std::vector<std::vector<juce::MidiMessage>> instrumentSends;
    };

    const Meanwhile meanwhiles[] = {
        { "part 0 goes to bank 2", { FromInstrument::programChange (0, 2, 5) } },
        { "part 0 goes to bank 2 and back", { FromInstrument::programChange (0, 2, 5), FromInstrument::programChange (0, 0, 1) } },
    };

    instrument().setNames (0, { "Grand", "Hall" });
    closeSplashScreens();

    for (const auto& gesture : gestures)
    {
        for (const auto& meanwhile : meanwhiles)
        {
            SCOPED_TRACE (std::string (gesture.what) + ", " + meanwhile.what);
            instrument().setPart (0, quietShownPart ("Hall", 0, 1, 4));
            connect();
            PanelMouse mouse (harness.getPanel());

            // user begins the gesture | it edits as ever
            gesture.begin (mouse);
            settle();
            EXPECT_TRUE (gesture.isUnderWay (takeWire()));

            // instrument: meanwhile | the gesture is over: the rest of it
            // changes nothing and sends nothing, and its control shows the record
            for (const auto& messages : meanwhile.instrumentSends)
            {
                send (messages);
                settle();
            }

            const auto masked = panel().disabledMask.isVisible();
            takeWire();
            const auto record = panel().midi.getMicroPCopy();

            gesture.rest (mouse);
            settle();

            EXPECT_EQ (takeWire(), Wire {});
            const auto afterRest = panel().midi.getMicroPCopy();
            EXPECT_EQ (std::memcmp (&afterRest, &record, sizeof (record)), 0);
            EXPECT_TRUE (gesture.showsTheRecord (afterRest));

            // once the mask is gone, the user makes the same gesture anew | it edits as ever
            if (masked)
            {
                send (FromInstrument::programChange (0, 0, 1));
                settle();
                takeWire();
            }

            expectEditing (0, true, 0);
            gesture.begin (mouse);
            gesture.rest (mouse);
            settle();

            EXPECT_NE (takeWire(), Wire {});
            const auto edited = panel().midi.getMicroPCopy();
            EXPECT_NE (std::memcmp (&edited, &afterRest, sizeof (record)), 0);
            EXPECT_TRUE (gesture.showsTheRecord (edited));

            // the user switches off, for the next case
            clickConnect();
            settle();
        }
    }
}

TEST_F (PanelFollowing, ThePickInTheListStandsOverTheWaitedEntryWhoseNameIsAlreadyOnItsWay)
{
    instrument().setNames (0, { "A", "B", "C" });
    // part 0 plays number 7, whose name has not come
    instrument().setPart (0, quietShownPart ("H", 0, 7, 2));
    connect();
    ASSERT_EQ (panel().microPCombo.getSelectedId(), 0);
    takeWire();

    // user opens the list and releases the mouse on 02 | the pick is made,
    // and before the list's notification of it is run the name of number 7
    // is posted
    instrument().setPart (0, quietShownPart ("B", 0, 1, 3));
    PanelMouse mouse (harness.getPanel());
    mouse.click (panel().microPCombo);
    ASSERT_TRUE (PanelMouse::clickInPopup (1));
    send (FromInstrument::name (7, "H"));
    waitUntilPosted();
    settle();

    // | 02 stays selected, and its sound is the one asked for
    EXPECT_EQ (panel().microPCombo.getNumItems(), 4);
    EXPECT_EQ (panel().microPCombo.getSelectedId(), 2);
    EXPECT_EQ (panel().microPCombo.getText(), "02  B");
    EXPECT_EQ (takeWire(), (Wire { "cc 0 0=0", "program 0=1", "part name? 0", "part data? 0" }));

    // instrument: part 0 is reported playing 03 | the newer report is shown
    instrument().setPart (0, quietShownPart ("C", 0, 2, 3));
    send (FromInstrument::programChange (0, 0, 2));
    settle();
    EXPECT_EQ (panel().microPCombo.getSelectedId(), 3);
    EXPECT_EQ (panel().microPCombo.getText(), "03  C");
}
