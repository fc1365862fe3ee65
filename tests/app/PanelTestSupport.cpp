#include "tests/app/PanelTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

PanelAccess::PanelAccess (MainComponent& p)
    : panel (p),
      connectButton (p.connectButton),
      openButton (p.openButton),
      saveButton (p.saveButton),
      microPCombo (p.microPCombo),
      templateCombo (p.templateCombo),
      iconCombo (p.iconCombo),
      kCircleButtons (p.kCircleButtons),
      valueLabels (p.valueLabels),
      partSliders (p.partSliders),
      keyView (p.keyView),
      kCircleImage (p.kCircleImage),
      disabledMask (p.disabledMask),
      keyParamCombo (p.keyParamCombo),
      keyNameLabel (p.keyNameLabel),
      keyValueLabel (p.keyValueLabel),
      triangleSlider (*p.triangleSlider),
      triangleLabel (p.triangleLabel),
      resetButton (p.resetButton),
      randomButton (p.randomButton),
      scaleMinusButton (p.scaleMinusButton),
      scalePlusButton (p.scalePlusButton),
      moveMinusButton (p.moveMinusButton),
      movePlusButton (p.movePlusButton),
      noteButton (p.noteButton),
      scaleCombo (p.scaleCombo),
      keyBar (*p.keyBar),
      zoomInButton (p.zoomInButton),
      zoomOutButton (p.zoomOutButton),
      midi (p.midi),
      messageBox (p.messageBox),
      midiInputIndex (p.midiInputIndex),
      midiOutputIndex (p.midiOutputIndex),
      layerMode (p.layerMode),
      partBank (p.partBank),
      currentPart (p.currentPart),
      currentKeyParam (p.currentKeyParam),
      displayKeybNotes (p.displayKeybNotes),
      globalScaleFactor (p.globalScaleFactor),
      keyBarZoom (p.keyBarZoom),
      shiftDown (p.shiftDown),
      lastDirectory (p.lastDirectory)
{
}

std::vector<uint8_t> payloadOf (std::initializer_list<uint8_t> head, const std::vector<uint8_t>& tail)
{
    std::vector<uint8_t> payload (head.size() + tail.size());
    std::copy (tail.begin(), tail.end(), std::copy (head.begin(), head.end(), payload.begin()));
    return payload;
}

juce::String messageBoxText (const juce::AlertWindow& box)
{
    // The box describes itself as its title, ". " and its text; the title is empty.
    return box.getDescription().fromFirstOccurrenceOf (". ", false, false);
}

namespace
{
// Each test process has a home folder of its own; each harness a folder in it.
juce::File newHarnessFolder()
{
    static std::atomic<int> count { 0 };
    auto result = juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("panel-" + juce::String (++count));
    result.deleteRecursively();
    result.createDirectory();
    return result;
}
} // namespace

PanelHarness::PanelHarness()
    : folder (newHarnessFolder())
{
}

PanelHarness::~PanelHarness()
{
    destroy();
    juce::Desktop::getInstance().setGlobalScaleFactor (1.0f);
    folder.deleteRecursively();
}

juce::File PanelHarness::userSettingsFolder() const
{
    return folder.getChildFile ("user");
}

juce::File PanelHarness::systemSettingsFolder() const
{
    return folder.getChildFile ("system");
}

juce::File PanelHarness::userSettingsFile() const
{
    return userSettingsFolder().getChildFile ("Velmor Piano Editor.settings");
}

juce::File PanelHarness::systemSettingsFile() const
{
    return systemSettingsFolder().getChildFile ("Velmor Piano Editor.settings");
}

void PanelHarness::writeSettings (const juce::File& file, const juce::StringPairArray& values)
{
    juce::XmlElement root ("PROPERTIES");

    for (const auto& key : values.getAllKeys())
    {
        auto* value = root.createNewChildElement ("VALUE");
        value->setAttribute ("name", key);
        value->setAttribute ("val", values[key]);
    }

    file.getParentDirectory().createDirectory();
    ASSERT_TRUE (root.writeTo (file));
}

MainComponent& PanelHarness::build()
{
    destroy();

    juce::StringArray outputs { outputName };
    outputs.addArray (otherOutputs);
    auto virtualPorts = std::make_unique<VirtualMidiPorts> (juce::StringArray { inputName }, outputs);
    ports = virtualPorts.get();

    MainComponent::Environment environment;
    environment.midiPorts = std::move (virtualPorts);
    environment.userSettingsFolder = userSettingsFolder();
    environment.systemSettingsFolder = systemSettingsFolder();
    environment.readMainDisplay = [this]
    { return display; };
    environment.chooseFile = chooseFile;

    panel = std::make_unique<MainComponent> (std::move (environment));
    access = std::make_unique<PanelAccess> (*panel);
    return *panel;
}

void PanelHarness::destroy()
{
    // The instrument uses the ports, which go with the panel's link.
    simulatedInstrument.reset();
    access.reset();
    panel.reset();
    ports = nullptr;
}

MainComponent& PanelHarness::getPanel()
{
    jassert (panel != nullptr);
    return *panel;
}

PanelAccess& PanelHarness::controls()
{
    jassert (access != nullptr);
    return *access;
}

VirtualMidiPorts& PanelHarness::getPorts()
{
    jassert (ports != nullptr);
    return *ports;
}

SimulatedInstrument& PanelHarness::instrument()
{
    if (simulatedInstrument == nullptr)
        simulatedInstrument = std::make_unique<SimulatedInstrument> (getPorts(), inputName, outputName);

    return *simulatedInstrument;
}

bool PanelHarness::connectLink()
{
    instrument();
    auto& midi = controls().midi;
    // The panel hears none of the link's reports: it would end a connection
    // that its own flow did not start.
    midi.messageListener = nullptr;
    midi.setActiveInput (0);
    midi.setActiveOutput (0);
    midi.connect();
    return pumpUntil ([&midi]
                      { return midi.getConnectionState() == Midi::STATE_CONNECTED; });
}

std::vector<juce::MidiMessage> PanelHarness::sentWithoutPings()
{
    constexpr int commandByte = 4;
    std::vector<juce::MidiMessage> result;

    for (const auto& sent : getPorts().getSentMessages())
    {
        const auto& message = sent.message;
        const bool isPing = message.isSysEx() && message.getSysExDataSize() > commandByte && message.getSysExData()[commandByte] == MidiVelmor::CMD_PING;

        if (! isPing)
            result.push_back (message);
    }

    return result;
}

void PanelHarness::showOnDesktop()
{
    getPanel().addToDesktop (juce::ComponentPeer::windowAppearsOnTaskbar);
    getPanel().setVisible (true);
    getPanel().toFront (true);
    pumpUntil ([this]
               { return getPanel().getPeer() != nullptr && getPanel().isShowing(); });
}

void PanelHarness::pump (int milliseconds)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
}

bool PanelHarness::pumpUntil (std::function<bool()> condition, int timeoutMs)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;

    while (! condition())
    {
        if (juce::Time::getMillisecondCounter() > end)
            return false;

        pump (5);
    }

    return true;
}
