// The panel's settings files and the window scale.
#include "app/MainComponent.h"

#include "app/PanelTables.h"

namespace
{
constexpr auto midiInputIndexKey = "MidiInputIndex";
constexpr auto midiOutputIndexKey = "MidiOutputIndex";
constexpr auto displayKeybNotesKey = "DisplayKeybNotes";
constexpr auto globalScaleFactorKey = "GlobalScaleFactor";

constexpr int noPort = -1;
constexpr bool defaultDisplayKeybNotes = true;
constexpr double percentToScale = 0.01;
} // namespace

void MainComponent::initProperties()
{
    // The folders come with the panel's environment; the options name the file
    // and set its form.
    juce::PropertiesFile::Options options;
    options.applicationName = VELMOR_PRODUCT_NAME;
    options.filenameSuffix = "settings";
    options.ignoreCaseOfKeyNames = true;
    options.storageFormat = juce::PropertiesFile::storeAsXML;

    appProperties.setStorageParameters (options, userSettingsFolder, systemSettingsFolder);
}

void MainComponent::loadProperties()
{
    midiInputIndex = noPort;
    midiOutputIndex = noPort;
    displayKeybNotes = defaultDisplayKeybNotes;
    globalScaleFactor = WindowScale::defaultFactor;

    auto* settings = appProperties.getUserSettings();

    if (settings == nullptr)
        return;

    midiInputIndex = settings->getIntValue (midiInputIndexKey, noPort);
    midiOutputIndex = settings->getIntValue (midiOutputIndexKey, noPort);
    displayKeybNotes = settings->getBoolValue (displayKeybNotesKey, defaultDisplayKeybNotes);
    globalScaleFactor = settings->getIntValue (globalScaleFactorKey, WindowScale::defaultFactor);

    // Zero, a negative number or text (which reads as zero) would shrink the
    // window to nothing: such a value counts as absent.
    if (globalScaleFactor < WindowScale::lowestFactor)
        globalScaleFactor = WindowScale::defaultFactor;
}

void MainComponent::initGlobalScaleFactor()
{
    const auto limit = WindowScale::getLimit (readMainDisplay());
    globalScaleFactor = WindowScale::fallBack (globalScaleFactor, limit);
    keyView.setKeyBorder (WindowScale::getKeyBorder (globalScaleFactor));
    juce::Desktop::getInstance().setGlobalScaleFactor ((float) (globalScaleFactor * percentToScale));
}

void MainComponent::setGlobalScaleFactor (int factor)
{
    const auto limit = WindowScale::getLimit (readMainDisplay());

    if (factor > limit)
    {
        factor = WindowScale::fallBack (factor, limit);
        scaleCombo.setSelectedId (factor, juce::dontSendNotification);
    }

    globalScaleFactor = factor;
    keyView.setKeyBorder (WindowScale::getKeyBorder (globalScaleFactor));
    juce::Desktop::getInstance().setGlobalScaleFactor ((float) (globalScaleFactor * percentToScale));

    if (auto* window = getParentComponent())
    {
        window->setSize (PANEL_WIDTH, PANEL_HEIGHT);
        window->centreWithSize (PANEL_WIDTH, PANEL_HEIGHT);
    }

    saveProperties();
}

void MainComponent::saveProperties()
{
    auto* settings = appProperties.getUserSettings();

    if (settings == nullptr)
        return;

    settings->setValue (midiInputIndexKey, midiInputIndex);
    settings->setValue (midiOutputIndexKey, midiOutputIndex);
    settings->setValue (displayKeybNotesKey, displayKeybNotes);
    settings->setValue (globalScaleFactorKey, globalScaleFactor);
    settings->saveIfNeeded();
}
