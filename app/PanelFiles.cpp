// Opening and saving microperformance files.
#include "app/MainComponent.h"

#include "app/MicroPerformanceFile.h"
#include "link/VelmorWire.h"

namespace
{
constexpr auto openTitle = "Open Microperformance";
constexpr auto saveTitle = "Save Microperformance";
constexpr auto filePattern = "*.snd";
constexpr auto saveFailedText = "  The microperformance could not be saved.  ";

// Writes through a temporary file that replaces the target only once it holds
// every byte, so a failed write leaves the file that was there as it was.
bool writeWhole (const juce::File& file, const juce::MemoryBlock& bytes)
{
    const juce::TemporaryFile temporary (file, juce::TemporaryFile::useHiddenFile);

    // The stream reports a failed write only when asked for the size afterwards.
    return temporary.getFile().appendData (bytes.getData(), bytes.getSize())
           && temporary.getFile().getSize() == (juce::int64) bytes.getSize()
           && temporary.overwriteTargetFileWithTemporary();
}
} // namespace

void MainComponent::openFile()
{
    juce::FileChooser chooser (openTitle, lastDirectory, filePattern, true, false);

    if (chooser.browseForFileToOpen())
        openFile (chooser.getResult());
}

void MainComponent::saveFile()
{
    const auto name = MicroPerformanceFile::getProposedFileName (midi.getMicroPCopy());
    juce::FileChooser chooser (saveTitle, name.isEmpty() ? lastDirectory : lastDirectory.getChildFile (name), filePattern, true);

    if (chooser.browseForFileToSave (true))
        saveFile (chooser.getResult());
}

void MainComponent::openFile (const juce::File& file)
{
    using MicroPerformanceFile::Refusal;

    if (! MicroPerformanceFile::hasFileSizeAndExtension (file.getSize(), file.getFileName()))
    {
        openMessageBox ({}, MicroPerformanceFile::getRefusalText (Refusal::notValid), fileErrorBox);
        return;
    }

    juce::Logger::writeToLog ("Open " + file.getFullPathName());
    lastDirectory = file.getParentDirectory();

    // A file that cannot be opened counts as zeros, which the version check
    // refuses. One cut short after its size was taken is not loaded.
    juce::FileInputStream stream (file);
    const auto bytes = stream.openedOk() ? MicroPerformanceFile::readFileBytes (stream)
                                         : std::make_optional<juce::MemoryBlock> ((size_t) MicroPerformanceFile::fileSize, true);

    if (! bytes.has_value())
    {
        openMessageBox ({}, MicroPerformanceFile::getRefusalText (Refusal::notValid), fileErrorBox);
        return;
    }

    auto refusal = Refusal::none;

    {
        const juce::ScopedLock sl (midi.getRecordLock());
        const auto decoded = MicroPerformanceFile::decode (bytes->getData(), bytes->getSize(), midi.microP);
        refusal = decoded.refusal;

        if (refusal == Refusal::none)
            midi.microP = decoded.record;
    }

    if (refusal != Refusal::none)
    {
        openMessageBox ({}, MicroPerformanceFile::getRefusalText (refusal), fileErrorBox);
        return;
    }

    setAllControls();

    if (hasEditedPart())
        midi.sendPartAll ((unsigned char) currentPart);
}

void MainComponent::saveFile (const juce::File& chosen)
{
    // A file without the extension could not be opened again.
    const auto file = MicroPerformanceFile::withSndExtension (chosen);
    juce::Logger::writeToLog ("Save " + file.getFullPathName());
    lastDirectory = file.getParentDirectory();

    // The file holds the new name as the record will; the record keeps its
    // own until the file is written.
    const auto name = file.getFileNameWithoutExtension();
    auto record = midi.getMicroPCopy();
    VelmorWire::storeNameText (record, name);

    if (! writeWhole (file, MicroPerformanceFile::encode (record)))
    {
        openMessageBox ({}, saveFailedText, fileErrorBox);
        return;
    }

    midi.setPartMicroPName ((unsigned char) currentPart, name);
}
