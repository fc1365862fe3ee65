#pragma once

#include "app/MainComponent.h"
#include "tests/support/SimulatedInstrument.h"
#include "tests/support/VirtualMidiPorts.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

// The panel's members as tests see them.
struct PanelAccess
{
    explicit PanelAccess (MainComponent& p);

    MainComponent& panel;
    juce::ImageButton& connectButton;
    juce::ImageButton& openButton;
    juce::ImageButton& saveButton;
    CustomComboBox& microPCombo;
    CustomComboBox& templateCombo;
    ImageComboBox& iconCombo;
    std::array<juce::ImageButton, 12>& kCircleButtons;
    std::array<CustomLabel, 18>& valueLabels;
    std::array<std::unique_ptr<OSlider>, 18>& partSliders;
    KeyView& keyView;
    juce::ImageComponent& kCircleImage;
    juce::ImageComponent& disabledMask;
    CustomComboBox& keyParamCombo;
    juce::Label& keyNameLabel;
    juce::Label& keyValueLabel;
    VSlider& triangleSlider;
    juce::Label& triangleLabel;
    juce::ImageButton& resetButton;
    juce::ImageButton& randomButton;
    juce::ImageButton& scaleMinusButton;
    juce::ImageButton& scalePlusButton;
    juce::ImageButton& moveMinusButton;
    juce::ImageButton& movePlusButton;
    juce::ImageButton& noteButton;
    CustomComboBox& scaleCombo;
    KeyBar& keyBar;
    juce::ImageButton& zoomInButton;
    juce::ImageButton& zoomOutButton;
    MidiVelmor& midi;
    std::unique_ptr<CustomAlertWindow>& messageBox;
    int& midiInputIndex;
    int& midiOutputIndex;
    std::atomic<int>& layerMode;
    std::array<int, 2>& partBank;
    int& currentPart;
    int& currentKeyParam;
    bool& displayKeybNotes;
    int& globalScaleFactor;
    int& keyBarZoom;
    bool& shiftDown;
    juce::File& lastDirectory;
};

// The head fields, then the bytes that follow them, in one vector sized once:
// growing a vector that began as a short list makes GCC 12 at -O3 see a copy
// past the list's end.
std::vector<uint8_t> payloadOf (std::initializer_list<uint8_t> head, const std::vector<uint8_t>& tail);

// The text of the panel's message box.
juce::String messageBoxText (const juce::AlertWindow& box);

// A panel on virtual MIDI ports, with settings folders of its own and a main
// display that the test describes. The window scale goes back to 100 % when
// the harness goes.
class PanelHarness
{
public:
    static constexpr const char* inputName = "Piano In";
    static constexpr const char* outputName = "Piano Out";

    PanelHarness();
    ~PanelHarness();

    // The display the panel reads whenever it works out the scale limit.
    WindowScale::MainDisplay display { 1280, 1024, 1.0 };
    // Outputs listed after the instrument's, on which nobody answers.
    juce::StringArray otherOutputs;
    // The panel's file dialogs; empty for the system's.
    std::function<juce::File (MainComponent::FileDialog dialog, const juce::File& start)> chooseFile;

    juce::File userSettingsFolder() const;
    juce::File systemSettingsFolder() const;
    juce::File userSettingsFile() const;
    juce::File systemSettingsFile() const;
    // Writes a settings file in the framework's XML form, one VALUE per pair.
    static void writeSettings (const juce::File& file, const juce::StringPairArray& values);

    // Builds the panel; the settings and the display must be in place first.
    MainComponent& build();
    void destroy();
    bool isBuilt() const { return panel != nullptr; }

    MainComponent& getPanel();
    PanelAccess& controls();
    VirtualMidiPorts& getPorts();
    // An instrument behind the panel's ports, made at the first call.
    SimulatedInstrument& instrument();

    // Connects the panel's link straight to the instrument, without the
    // panel's own connection flow and unheard by the panel; true once connected.
    bool connectLink();
    // What the panel sent since the ports' capture was last cleared, pings left out.
    std::vector<juce::MidiMessage> sentWithoutPings();

    // Puts the panel on the desktop as a window of its own.
    void showOnDesktop();

    static void pump (int milliseconds = 30);
    static bool pumpUntil (std::function<bool()> condition, int timeoutMs = 3000);

private:
    juce::File folder;
    VirtualMidiPorts* ports = nullptr;
    std::unique_ptr<SimulatedInstrument> simulatedInstrument;
    std::unique_ptr<MainComponent> panel;
    std::unique_ptr<PanelAccess> access;
};
