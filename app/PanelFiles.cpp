// Opening and saving microperformance files.
#include "app/MainComponent.h"

#include "app/MicroPerformanceFile.h"
#include "link/VelmorWire.h"

#include <cstring>
#include <type_traits>

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

juce::File askWithDialog (MainComponent::FileDialog dialog, const juce::File& start)
{
    if (dialog == MainComponent::FileDialog::open)
    {
        juce::FileChooser chooser (openTitle, start, filePattern, true, false);
        return chooser.browseForFileToOpen() ? chooser.getResult() : juce::File();
    }

    juce::FileChooser chooser (saveTitle, start, filePattern, true);
    return chooser.browseForFileToSave (true) ? chooser.getResult() : juce::File();
}

// Equal bytes are then equal records.
static_assert (std::has_unique_object_representations_v<ST_MICROPERFORMANCE>);

bool isSameRecord (const ST_MICROPERFORMANCE& a, const ST_MICROPERFORMANCE& b)
{
    return std::memcmp (&a, &b, sizeof (a)) == 0;
}
} // namespace

juce::File MainComponent::askForFile (FileDialog dialog, const juce::File& start)
{
    return chooseFile ? chooseFile (dialog, start) : askWithDialog (dialog, start);
}

void MainComponent::openFile()
{
    const auto chosen = askForFile (FileDialog::open, lastDirectory);

    // The dialog does not stop the message loop: meanwhile the edited part may
    // have gone to a sound that may not be edited, which the file must not
    // replace.
    if (chosen != juce::File() && ! disabledMask.isVisible())
        openFile (chosen);
}

void MainComponent::saveFile()
{
    // Neither the system's dialogs nor the framework's own stop the message
    // loop: the instrument may load another sound, or the user may end the
    // connection, before a file is chosen. The file gets the sound shown now.
    const auto record = midi.getMicroPCopy();
    const auto part = currentPart;
    const auto proposed = MicroPerformanceFile::getProposedFile (lastDirectory, record);
    const auto chosen = askForFile (FileDialog::save, proposed);

    if (chosen == juce::File())
        return;

    // The dialog asked before it gave an existing file, but not about the
    // file that the added extension names.
    const auto file = MicroPerformanceFile::withSndExtension (chosen);

    if (file != chosen && file.exists())
        askToReplace (file, record, part);
    else
        saveRecord (file, record, part);
}

void MainComponent::askToReplace (const juce::File& file, const ST_MICROPERFORMANCE& record, int part)
{
    openMessageBox ({}, "  \"" + file.getFileName() + "\" already exists.\n  Do you want to replace it?  ", replaceFileBox);
    // After the box is open: a box that opens later drops the save.
    saveAwaitingAnswer = SaveAwaitingAnswer { file, record, part };
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
    saveRecord (chosen, midi.getMicroPCopy(), currentPart);
}

void MainComponent::saveRecord (const juce::File& chosen, const ST_MICROPERFORMANCE& record, int part)
{
    // A file without the extension could not be opened again.
    const auto file = MicroPerformanceFile::withSndExtension (chosen);
    juce::Logger::writeToLog ("Save " + file.getFullPathName());
    lastDirectory = file.getParentDirectory();

    // The file holds the new name; the record takes it only once the file is
    // written.
    const auto name = file.getFileNameWithoutExtension();
    auto named = record;
    VelmorWire::storeNameText (named, name);

    if (! writeWhole (file, MicroPerformanceFile::encode (named)))
    {
        openMessageBox ({}, saveFailedText, fileErrorBox);
        return;
    }

    // Held across the check and the rename, so that no report lands between them.
    const juce::ScopedLock sl (midi.getRecordLock());

    if (part == currentPart && isSameRecord (midi.microP, record))
        midi.setPartMicroPName ((unsigned char) currentPart, name);
}
