#pragma once

#include "app/ConnectionFlow.h"
#include "app/InterruptedPresses.h"
#include "app/SettingsFiles.h"
#include "app/WindowScale.h"
#include "controls/CustomAlertWindow.h"
#include "controls/CustomComboBox.h"
#include "controls/CustomLabel.h"
#include "controls/ImageComboBox.h"
#include "controls/KeyBar.h"
#include "controls/KeyView.h"
#include "controls/OSlider.h"
#include "controls/VSlider.h"
#include "link/MidiVelmor.h"
#include "link/VelmorWire.h"

#include <juce_gui_basics/juce_gui_basics.h>
#include <juce_gui_extra/juce_gui_extra.h>

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// The editor panel: every control of the editor at its fixed place over the
// painted background, wired to the instrument link. The panel follows what the
// instrument reports, sends what the user edits, keeps the settings and the
// window scale, and reads and writes microperformance files.
//
// One class, several sources, one concern each:
//   MainComponent.cpp          construction, layout, teardown, paint, read-outs
//   PanelSettings.cpp          the settings files and the window scale
//   PanelControlStates.cpp     enable, disable, fill from the record, clear
//   PanelConnection.cpp        the connect toggle, the message box, posted messages
//   PanelFollowing.cpp         what the instrument reports, shown
//   PanelEdits.cpp             what the user changes, sent
//   PanelFiles.cpp             opening and saving microperformance files
//
// Everything runs on the message thread but onGetLayerMode, onGetChangeMode
// and onGetMicroPName, which the link calls on "MidiProcessing"; they touch no
// widget. The record is read and written only under the link's record lock.
class MainComponent : public juce::Component,
                      public juce::MessageListener,
                      public juce::Slider::Listener,
                      public juce::Button::Listener,
                      public juce::ComboBox::Listener,
                      public MidiVelmor::Listener,
                      public KeyView::Listener,
                      public CustomLabel::Listener
{
public:
    enum class FileDialog
    {
        open,
        save
    };

    // What the panel runs against. The application passes nothing and gets the
    // system's MIDI ports, the settings folders of the user and of the system,
    // the desktop's main display within its work area and the system's file
    // dialogs; tests pass stand-ins.
    struct Environment
    {
        std::unique_ptr<MidiPorts> midiPorts;
        juce::File userSettingsFolder;
        juce::File systemSettingsFolder;
        std::function<WindowScale::MainDisplay()> readMainDisplay;
        // Asks for the file to open, starting in a folder, or to save to,
        // starting from the proposed file, and gives juce::File() when the user
        // cancels. The message loop runs on while it asks.
        std::function<juce::File (FileDialog dialog, const juce::File& start)> chooseFile;
    };

    MainComponent();
    explicit MainComponent (Environment environment);
    ~MainComponent() override;

    void paint (juce::Graphics& g) override;
    void modifierKeysChanged (const juce::ModifierKeys& modifiers) override;

    void buttonClicked (juce::Button* button) override;
    void buttonStateChanged (juce::Button* button) override;
    void sliderValueChanged (juce::Slider* slider) override;
    void labelDoubleClick (CustomLabel* label) override;
    void comboBoxChanged (juce::ComboBox* comboBox) override;

    void onConnect (MidiVelmor* link, int code) override;
    void onConnectionLost (MidiVelmor* link) override;
    void onSoundChanged (MidiVelmor* link, unsigned char channel, unsigned char bank, unsigned char program) override;
    void onGetLayerMode (MidiVelmor* link, unsigned char mode) override;
    void onGetChangeMode (MidiVelmor* link, unsigned char mode) override;
    void onGetMicroPNameList (MidiVelmor* link, unsigned char bank, unsigned char count, const juce::StringArray& names) override;
    void onGetMicroPName (MidiVelmor* link, unsigned char bank, unsigned char index, const juce::String& name) override;
    void onGetPartMicroPName (MidiVelmor* link, unsigned char part, unsigned char bank, unsigned char number, const juce::String& name) override;
    void onGetPartParameters (MidiVelmor* link, unsigned char part, unsigned char iconId, unsigned char templateId) override;
    void onGetMicroPData (MidiVelmor* link, unsigned char part, unsigned char bank, const ST_MICROPERFORMANCE* microPerformance) override;
    void onParamChanged (MidiVelmor* link, unsigned char part, unsigned char param, unsigned char value) override;
    void onPianoFineTuningChanged (MidiVelmor* link, unsigned char key, unsigned char value) override;
    void onException (MidiVelmor* link, MidiVelmor::Exception exception) override;

    void handleMessage (const juce::Message& message) override;

    void mouseOverKey (KeyView* view, unsigned char key, unsigned char value) override;
    void valuesChanged (KeyView* view, unsigned char firstKey, unsigned char lastKey) override;

    // Read-outs show value - 64, with "+" before a positive number.
    static juce::String signedNumberToString (int n);
    void setValueLabel (int i, int n);
    // The offset read-out moves with the key view's centre line.
    void setTriangleLabel (int n);

    // Settings and window scale.
    void initProperties();
    void loadProperties();
    void initGlobalScaleFactor();
    void setGlobalScaleFactor (int factor);
    void saveProperties();

    // The state of the whole panel at once.
    void enableAllControls();
    void disableAllControls();
    void setAllControls();
    void clearAllControls();

    // The one message box: type 1 has "CANCEL", types 2 and 3 "OK".
    void openMessageBox (juce::String title, juce::String message, int type);
    void closeMessageBox (int result);

    // The file commands: a dialog in front of the operation on a chosen file.
    // saveFile (file) saves the record as it stands.
    void openFile();
    void saveFile();
    void openFile (const juce::File& file);
    void saveFile (const juce::File& file);

private:
    friend struct PanelAccess;

    // Message box types; each one's button returns its type, except the
    // replace box's CANCEL, which returns keepFileAnswer.
    enum MessageBoxType
    {
        searchingBox = 1,
        connectionLostBox = 2,
        fileErrorBox = 3,
        replaceFileBox = 4
    };

    static constexpr int keepFileAnswer = 5;

    // A save that waits for the user's yes to replace its file.
    struct SaveAwaitingAnswer
    {
        juce::File file;
        ST_MICROPERFORMANCE record;
        int part;
    };

    static juce::Font createPanelFont();
    static void messageBoxCallback (int result, juce::Component::SafePointer<MainComponent> panel, int serial);

    void buildControls();
    void addImageButton (juce::ImageButton& button, const void* offData, int offSize, const void* onData, int onSize, float hitThreshold, juce::Point<int> topLeft);
    void configureTextComboBox (CustomComboBox& box, const juce::Font& font, juce::Rectangle<int> bounds, juce::Colour textColour, bool centred);

    // The environment's dialog, or the system's when it has none.
    juce::File askForFile (FileDialog dialog, const juce::File& start);
    // Writes record, the sound shown when the user asked to save it, to the
    // chosen file. The panel's record takes the file's name only while part is
    // still the edited part and the record is still that sound, byte for byte.
    void saveRecord (const juce::File& chosen, const ST_MICROPERFORMANCE& record, int part);
    // Asks before a file that the dialog did not ask about is replaced; the
    // save waits for the answer.
    void askToReplace (const juce::File& file, const ST_MICROPERFORMANCE& record, int part);

    // While the mask shows, the controls it lies over give up the keyboard as
    // well as the mouse, and their popups close, the icon box's too; they take
    // the keyboard back when it goes.
    void withholdKeyboardUnderMask();
    void closePopupsUnderMask();
    void returnKeyboardUnderMask();
    bool isUnderMask (const juce::Component& control) const;
    static void collectKeyboardTakers (juce::Component& component, std::vector<juce::Component::SafePointer<juce::Component>>& takers);

    void connectButtonClicked();
    void onConnectMessage (const juce::Message& message);
    void onSoundMessage (const juce::Message& message);
    void onPartMessage (const juce::Message& message);
    void onParamMessage (const juce::Message& message);
    void onTrackParamMessage (const juce::Message& message);
    void onInfoMessage (const juce::Message& message);
    void onNoteMessage (const juce::Message& message);

    void setKeyBarZoom();
    void resetKeyView();
    void randomKeyView();
    void scaleKeyView (int direction);
    void moveKeyView (int direction);

    // User edits: the record changes whatever the part; only an edited part
    // (0 or 1) is sent to, so no part byte of 255 ever reaches the wire.
    static bool isPart (int part);
    bool hasEditedPart() const;
    bool hasKeyParam() const;
    // No edit reaches the record or the instrument while the mask shows, nor
    // from a press that was held when it went up. A refused edit leaves its
    // control showing the record.
    bool mayEdit();
    void showRecordedPartParam (int param);
    // A part parameter's label, and the offset slider when it is paired with
    // the shown table.
    void showPartParamValue (int param, int value);
    void storeAndSendPartParam (int param, int value);
    // Changes the shown table in the record, shows it and sends it whole.
    void setShownTable (const std::function<void (unsigned char* table)>& change);
    // Copies keys of the key view into the shown table and sends them.
    void storeKeyViewValues (unsigned char firstKey, unsigned char count);
    void sendShownKeys (unsigned char firstKey, unsigned char count);
    // Shows keys of the shown table as the record holds them.
    void showShownKeys (int firstKey, int count);

    juce::Image backgroundImage;
    juce::ImageButton connectButton;
    juce::ImageButton openButton;
    juce::ImageButton saveButton;
    CustomComboBox microPCombo;
    CustomComboBox templateCombo;
    ImageComboBox iconCombo;
    std::array<juce::ImageButton, ST_MICROPERFORMANCE::trackCount> kCircleButtons;
    std::array<CustomLabel, ST_MICROPERFORMANCE::paramCount> valueLabels;
    std::array<std::unique_ptr<OSlider>, ST_MICROPERFORMANCE::paramCount> partSliders;
    KeyView keyView;
    juce::ImageComponent kCircleImage;
    juce::ImageComponent disabledMask;
    CustomComboBox keyParamCombo;
    juce::Label keyNameLabel;
    juce::Label keyValueLabel;
    std::unique_ptr<VSlider> triangleSlider;
    juce::Label triangleLabel;
    juce::ImageButton resetButton;
    juce::ImageButton randomButton;
    juce::ImageButton scaleMinusButton;
    juce::ImageButton scalePlusButton;
    juce::ImageButton moveMinusButton;
    juce::ImageButton movePlusButton;
    juce::ImageButton noteButton;
    CustomComboBox scaleCombo;
    std::unique_ptr<KeyBar> keyBar;
    juce::ImageButton zoomInButton;
    juce::ImageButton zoomOutButton;
    MidiVelmor midi;
    std::unique_ptr<CustomAlertWindow> messageBox;
    // The save that the open box asks about.
    std::optional<SaveAwaitingAnswer> saveAwaitingAnswer;
    SettingsFiles appProperties;
    int midiInputIndex = -1;
    int midiOutputIndex = -1;
    // Written on "MidiProcessing", read on the message thread.
    std::atomic<int> layerMode { 0 };
    std::array<int, VelmorWire::partCount> partBank {};
    int currentPart = -1;
    int currentKeyParam = 0;
    bool displayKeybNotes = true;
    int globalScaleFactor = WindowScale::defaultFactor;
    int keyBarZoom = 1;
    bool shiftDown = false;
    juce::File lastDirectory;

    juce::File userSettingsFolder;
    juce::File systemSettingsFolder;
    std::function<WindowScale::MainDisplay()> readMainDisplay;
    std::function<juce::File (FileDialog dialog, const juce::File& start)> chooseFile;
    juce::Component::SafePointer<juce::SplashScreen> splashScreen;
    juce::Image scaledBackground;
    float scaledBackgroundScale = 0.0f;
    // The controls under the shown mask that wanted the keyboard focus.
    std::vector<juce::Component::SafePointer<juce::Component>> keyboardWithheldByMask;
    // The presses held when the mask last went up.
    InterruptedPresses interruptedPresses;

    // The panel's own view of the connection, the box shown, and what the
    // panel still waits for.
    ConnectionFlow connectionFlow;

    void postToPanel (std::function<void()> action);
    bool isFollowingConnection() const;
    void followLayerMode (MidiVelmor& link, unsigned char mode);
    // A part name the panel did not ask for here is followed only when it
    // brings a new bank.
    void askPartName (MidiVelmor& link, int part);
    void followPartBank (int part, int bank, const std::function<void()>& loadPart);
    void showListEntry (int index, const juce::String& text);
    void selectListEntry (int id);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainComponent)
};
