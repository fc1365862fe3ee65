#pragma once

#include <juce_data_structures/juce_data_structures.h>

#include <memory>

// The settings as two files of one name and form: the user's, read and
// written, and a system-wide one that is only read and supplies any key that
// the user's file lacks.
class SettingsFiles
{
public:
    SettingsFiles();
    ~SettingsFiles();

    // The file name comes from the options' application name and suffix.
    void setStorageParameters (const juce::PropertiesFile::Options& options, const juce::File& userFolder, const juce::File& systemFolder);

    // Both files are read at the first call; null before the storage is set.
    juce::PropertiesFile* getUserSettings();

private:
    juce::PropertiesFile::Options options;
    juce::File userFile;
    juce::File systemFile;
    // Declared first so that it outlives the user's file, whose fallback it is.
    std::unique_ptr<juce::PropertiesFile> systemSettings;
    std::unique_ptr<juce::PropertiesFile> userSettings;

    JUCE_DECLARE_NON_COPYABLE (SettingsFiles)
};
