#include "app/SettingsFiles.h"

SettingsFiles::SettingsFiles() = default;

SettingsFiles::~SettingsFiles() = default;

void SettingsFiles::setStorageParameters (const juce::PropertiesFile::Options& newOptions, const juce::File& userFolder, const juce::File& systemFolder)
{
    options = newOptions;

    const auto fileName = options.applicationName + "." + options.filenameSuffix;
    userFile = userFolder.getChildFile (fileName);
    systemFile = systemFolder.getChildFile (fileName);

    userSettings.reset();
    systemSettings.reset();
}

juce::PropertiesFile* SettingsFiles::getUserSettings()
{
    if (userSettings == nullptr && options.applicationName.isNotEmpty())
    {
        auto systemOptions = options;
        systemOptions.doNotSave = true;

        systemSettings = std::make_unique<juce::PropertiesFile> (systemFile, systemOptions);
        userSettings = std::make_unique<juce::PropertiesFile> (userFile, options);
        userSettings->setFallbackPropertySet (systemSettings.get());
    }

    return userSettings.get();
}
