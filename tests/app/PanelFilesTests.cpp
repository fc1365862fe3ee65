#include "app/KeyConstants.h"
#include "app/MicroPerformanceFile.h"
#include "link/VelmorWire.h"
#include "tests/app/PanelScenario.h"
#include "tests/app/PanelSessionSupport.h"
#include "tests/controls/PeerInput.h"
#include "tests/link/LogFile.h"

#include <algorithm>
#include <csignal>
#include <cstring>
#include <iostream>
#include <sys/resource.h>

namespace
{
constexpr uint8_t cmdDumpStart = 0x05;
constexpr auto notValidText = "  The selected file is not valid.  ";
constexpr auto versionText = "  This microperformance version is not supported.  ";
constexpr auto pianoTypeText = "  Microperformance different from  \n  the piano type cannot be loaded.  ";
constexpr auto saveFailedText = "  The microperformance could not be saved.  ";

constexpr size_t fileVersionOffset = 0;
constexpr size_t fileRecordOffset = 4;
constexpr int processTimeoutMs = 10000;

// Values that differ from the start-up record everywhere the file carries
// them, all within what the instrument takes.
void makeDistinct (ST_MICROPERFORMANCE& r)
{
    std::memset (r.name, 0, sizeof (r.name));
    std::strcpy (r.name, "Concert Hall");
    r.iconId = 38;
    r.templateId = 11;
    r.infoBytes[2] = 5;
    r.infoBytes[3] = 6;
    r.infoByte = 7;

    for (int i = 0; i < ST_MICROPERFORMANCE::paramCount; ++i)
        r.params[i] = (unsigned char) (20 + 5 * i);

    for (int t = 0; t < ST_MICROPERFORMANCE::trackCount; ++t)
        for (int k = 0; k < ST_MICROPERFORMANCE::keyCount; ++k)
            r.tracks[t][k] = (unsigned char) (14 + (k + 7 * t) % 101);

    for (int p = 0; p < ST_MICROPERFORMANCE::pedalCount; ++p)
        r.pedals[p] = (unsigned char) (10 * (p + 1));

    r.volume = 100;
    r.pan = 30;
    r.chorusSend = 40;
    r.reverbSend = 50;
    // Parameters 2, 5 and 6 of group 4 and slots 4 and 5 of group 7: stored offset.
    r.nrpnBlock4.params[0] = 70;
    r.nrpnBlock4.params[3] = 90;
    r.nrpnBlock4.params[4] = 100;
    r.nrpnBlock7.slot (4) = 9;
    r.nrpnBlock7.slot (5) = 11;
}

bool sameRecord (const ST_MICROPERFORMANCE& a, const ST_MICROPERFORMANCE& b)
{
    return std::memcmp (&a, &b, sizeof (a)) == 0;
}

std::string nameOf (const ST_MICROPERFORMANCE& r)
{
    return std::string (r.name, strnlen (r.name, sizeof (r.name)));
}

class PanelFiles : public ConnectedPanel
{
protected:
    void SetUp() override
    {
        ConnectedPanel::SetUp();
        folder = juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("files");
        folder.deleteRecursively();
        ASSERT_TRUE (folder.createDirectory());
        markLog();
    }

    void TearDown() override
    {
        folder.deleteRecursively();
        ConnectedPanel::TearDown();
    }

    std::vector<double> sliderValues()
    {
        std::vector<double> values;

        for (auto& slider : c().partSliders)
            values.push_back (slider->getValue());

        return values;
    }

    // The text of the open box; the box is closed afterwards. Empty when none is open.
    juce::String takeMessageBox()
    {
        if (c().messageBox == nullptr)
            return {};

        const auto text = messageBoxText (*c().messageBox);
        c().messageBox->exitModalState (3);
        PanelHarness::pumpUntil ([this]
                                 { return c().messageBox == nullptr; });
        return text;
    }

    // Whether the entry was logged since the last mark.
    bool logged (const juce::String& entry)
    {
        logSinceMark.addArray (LogFile::takeEntries (logMark));
        return logSinceMark.contains (entry);
    }

    void markLog()
    {
        logMark = LogFile::end();
        logSinceMark.clear();
    }

    juce::File folder;
    juce::int64 logMark = 0;
    juce::StringArray logSinceMark;
};

//==============================================================================
TEST_F (PanelFiles, ASavedFileOpensToTheSameRecordAndIsSentWhole)
{
    changeRecord ([] (ST_MICROPERFORMANCE& r)
                  {
                      makeDistinct (r);
                      r.number = 5;
                      r.infoBytes[1] = 2; });
    const auto file = folder.getChildFile ("Grand Hall.snd");

    panel().saveFile (file);

    EXPECT_EQ (takeMessageBox(), "");
    EXPECT_TRUE (logged ("Save " + file.getFullPathName()));
    EXPECT_EQ (c().lastDirectory, folder);
    EXPECT_EQ (file.getSize(), 1364);
    EXPECT_EQ (takeWire(), Wire()) << "saving sends nothing";

    const auto saved = c().midi.getMicroPCopy();
    EXPECT_EQ (nameOf (saved), "Grand Hall");

    juce::MemoryBlock bytes;
    ASSERT_TRUE (file.loadFileAsData (bytes));
    EXPECT_EQ (bytes[fileVersionOffset], 8);
    EXPECT_EQ (std::memcmp (bytes.begin() + fileRecordOffset, saved.name, sizeof (saved.name)), 0) << "the file holds the new name";
    EXPECT_EQ ((uint8_t) bytes[fileRecordOffset + offsetof (ST_MICROPERFORMANCE, number)], 5 + 32);

    // Another record in memory, with the bank, number and info bytes that a load keeps.
    changeRecord ([&saved] (ST_MICROPERFORMANCE& r)
                  {
                      r = initialMicroPerformance();
                      std::memcpy (&r.bank, &saved.bank, offsetof (ST_MICROPERFORMANCE, templateId) - offsetof (ST_MICROPERFORMANCE, bank)); });
    c().lastDirectory = juce::File::getCurrentWorkingDirectory();

    panel().openFile (file);

    EXPECT_EQ (takeMessageBox(), "");
    EXPECT_TRUE (logged ("Open " + file.getFullPathName()));
    EXPECT_EQ (c().lastDirectory, folder);
    EXPECT_TRUE (sameRecord (c().midi.getMicroPCopy(), saved));

    EXPECT_EQ (c().microPCombo.getText(), "Grand Hall");
    EXPECT_EQ (c().iconCombo.getSelectedId(), 38);
    EXPECT_EQ (c().templateCombo.getSelectedId(), 12);

    for (int i = 0; i < ST_MICROPERFORMANCE::paramCount; ++i)
        EXPECT_EQ (c().partSliders[(size_t) i]->getValue(), saved.params[i]) << i;

    std::vector<uint8_t> shown (KEY_COUNT);
    c().keyView.getKeyValues (0, shown.data(), KEY_COUNT);
    EXPECT_EQ (shown, std::vector<uint8_t> (saved.tracks[0], saved.tracks[0] + KEY_COUNT));

    const auto dump = takeWire();
    ASSERT_FALSE (dump.empty());
    EXPECT_EQ (dump.front(), sysExText (cmdDumpStart, { 1 }));
    EXPECT_EQ (dump.back(), sysExText (cmdDumpStart, { 0 }));
    expectInstrumentHoldsTheRecord();

    const auto held = harness.instrument().getPart (0);
    EXPECT_EQ (held.pedals, (std::array<uint8_t, 5> { 10, 20, 30, 40, 50 }));
    EXPECT_EQ (held.volume, 100);
    EXPECT_EQ (held.pan, 30);
    EXPECT_EQ (held.group4[2], 70);
    EXPECT_EQ (held.group4[5], 90);
    EXPECT_EQ (held.group4[6], 100);
    EXPECT_EQ (held.group7[4], 9);
    EXPECT_EQ (held.group7[5], 11);

    // Each part slider that moved sends its parameter again, the one paired
    // with the shown table twice.
    Wire resent;
    for (int i = 0; i < ST_MICROPERFORMANCE::paramCount; ++i)
        resent = joined (resent, nrpnTriple (0, i, saved.params[i]));
    resent = joined (resent, nrpnTriple (0, 17, saved.params[17]));
    EXPECT_EQ (settleAndTakeWire(), resent);
}

TEST_F (PanelFiles, AFileOpenedWithNoPartEditedFillsThePanelAndSendsNothing)
{
    changeRecord ([] (ST_MICROPERFORMANCE& r)
                  { makeDistinct (r); });
    const auto file = folder.getChildFile ("Studio.SnD");
    panel().saveFile (file);
    ASSERT_TRUE (file.existsAsFile());
    const auto saved = c().midi.getMicroPCopy();
    changeRecord ([] (ST_MICROPERFORMANCE& r)
                  { r = initialMicroPerformance(); });

    c().currentPart = -1;
    panel().openFile (file);

    EXPECT_EQ (takeMessageBox(), "");
    EXPECT_TRUE (sameRecord (c().midi.getMicroPCopy(), saved));
    EXPECT_EQ (c().partSliders[3]->getValue(), saved.params[3]);
    EXPECT_EQ (settleAndTakeWire(), Wire());
}

TEST_F (PanelFiles, ASoundWithAModelThePanelDoesNotListIsSavedAndOpensToTheSameRecord)
{
    constexpr int unlistedModel = 12;
    harness.instrument().inject (FromInstrument::partParameters (38, unlistedModel));
    ASSERT_TRUE (PanelHarness::pumpUntil ([this]
                                          { return c().midi.getMicroPCopy().templateId == unlistedModel; }));
    const auto file = folder.getChildFile ("Unlisted.snd");

    panel().saveFile (file);

    EXPECT_EQ (takeMessageBox(), "");
    const auto saved = c().midi.getMicroPCopy();
    changeRecord ([] (ST_MICROPERFORMANCE& r)
                  { r = initialMicroPerformance(); });
    ASSERT_NE (c().templateCombo.getSelectedId(), 0) << "a model is shown before";

    panel().openFile (file);

    EXPECT_EQ (takeMessageBox(), "");
    EXPECT_TRUE (sameRecord (c().midi.getMicroPCopy(), saved));
    EXPECT_EQ (c().templateCombo.getSelectedId(), 0) << "the model box shows none";
    expectInstrumentHoldsTheRecord();
    settleAndTakeWire();
}

TEST_F (PanelFiles, ARefusedFileLeavesTheRecordThePanelAndTheInstrumentAsTheyWere)
{
    struct Case
    {
        const char* what;
        const char* fileName;
        std::function<void (juce::MemoryBlock&)> change;
        const char* text;
        bool folderTaken;
    };

    const auto setByte = [] (size_t fileOffset, uint8_t value)
    {
        return [fileOffset, value] (juce::MemoryBlock& bytes)
        { bytes[fileOffset] = (char) value; };
    };
    const auto recordByte = [] (size_t recordOffset)
    { return fileRecordOffset + recordOffset; };

    const Case cases[] = {
        { "1363 bytes", "a.snd", [] (juce::MemoryBlock& b)
          { b.setSize (1363); },
          notValidText,
          false },
        { "1365 bytes", "a.snd", [] (juce::MemoryBlock& b)
          { b.append ("", 1); },
          notValidText,
          false },
        { "another extension", "a.snd.bak", [] (juce::MemoryBlock&) {}, notValidText, false },
        { "version 9", "a.snd", setByte (fileVersionOffset, 9), versionText, true },
        { "bank 1", "a.snd", setByte (recordByte (offsetof (ST_MICROPERFORMANCE, bank)), 1), pianoTypeText, true },
        // Stored less 64: 0x40 is a value of 128.
        { "a part parameter of 128", "a.snd", setByte (recordByte (offsetof (ST_MICROPERFORMANCE, params) + 4), 0x40), notValidText, true },
        { "a per-key value of 128", "a.snd", setByte (recordByte (offsetof (ST_MICROPERFORMANCE, tracks) + 100), 0x40), notValidText, true },
        { "model 128", "a.snd", setByte (recordByte (offsetof (ST_MICROPERFORMANCE, templateId)), 128), notValidText, true },
        { "a pedal at 128", "a.snd", setByte (recordByte (offsetof (ST_MICROPERFORMANCE, pedals)), 128), notValidText, true },
    };

    ST_MICROPERFORMANCE distinct = initialMicroPerformance();
    makeDistinct (distinct);
    const auto elsewhere = folder.getChildFile ("elsewhere");
    ASSERT_TRUE (elsewhere.createDirectory());

    for (const auto& testCase : cases)
    {
        SCOPED_TRACE (testCase.what);
        auto bytes = MicroPerformanceFile::encode (distinct);
        testCase.change (bytes);
        const auto file = folder.getChildFile (testCase.fileName);
        ASSERT_TRUE (file.replaceWithData (bytes.getData(), bytes.getSize()));

        c().lastDirectory = elsewhere;
        markLog();
        const auto record = c().midi.getMicroPCopy();
        const auto sliders = sliderValues();

        panel().openFile (file);

        EXPECT_EQ (takeMessageBox(), testCase.text);
        EXPECT_TRUE (sameRecord (c().midi.getMicroPCopy(), record));
        EXPECT_EQ (sliderValues(), sliders);
        EXPECT_EQ (c().templateCombo.getSelectedId(), record.templateId + 1);
        EXPECT_EQ (settleAndTakeWire(), Wire());
        EXPECT_EQ (c().lastDirectory, testCase.folderTaken ? folder : elsewhere);
        EXPECT_EQ (logged ("Open " + file.getFullPathName()), testCase.folderTaken);
        file.deleteFile();
    }
}

//==============================================================================
TEST_F (PanelFiles, TheSavedFileIsAnSndFileAndTheRecordTakesItsNameCutToNineteenBytes)
{
    struct Case
    {
        const char* chosen;
        const char* written;
        const char* name;
        int part;
    };

    const Case cases[] = {
        { "Grand", "Grand.snd", "Grand", 0 },
        { "Grand.SnD", "Grand.SnD", "Grand", 0 },
        { "Grand.snd.bak", "Grand.snd.bak.snd", "Grand.snd.bak", 0 },
        { "A name of twenty-five ch", "A name of twenty-five ch.snd", "A name of twenty-fi", 0 },
        // Ten two-byte characters: the tenth does not fit whole.
        { "\xc3\x84\xc3\x84\xc3\x84\xc3\x84\xc3\x84\xc3\x84\xc3\x84\xc3\x84\xc3\x84\xc3\x84", "\xc3\x84\xc3\x84\xc3\x84\xc3\x84\xc3\x84\xc3\x84\xc3\x84\xc3\x84\xc3\x84\xc3\x84.snd", "\xc3\x84\xc3\x84\xc3\x84\xc3\x84\xc3\x84\xc3\x84\xc3\x84\xc3\x84\xc3\x84", 0 },
        { "Offline", "Offline.snd", "Offline", -1 },
    };

    for (const auto& testCase : cases)
    {
        SCOPED_TRACE (testCase.chosen);
        c().currentPart = testCase.part;
        panel().saveFile (folder.getChildFile (juce::String::fromUTF8 (testCase.chosen)));

        EXPECT_EQ (takeMessageBox(), "");
        const auto written = folder.getChildFile (juce::String::fromUTF8 (testCase.written));
        EXPECT_TRUE (logged ("Save " + written.getFullPathName()));
        ASSERT_EQ (written.getSize(), 1364);

        const auto record = c().midi.getMicroPCopy();
        EXPECT_EQ (nameOf (record), testCase.name);

        juce::MemoryBlock bytes;
        ASSERT_TRUE (written.loadFileAsData (bytes));
        EXPECT_EQ (std::memcmp (bytes.begin() + fileRecordOffset, record.name, sizeof (record.name)), 0);
        EXPECT_EQ (MicroPerformanceFile::decode (bytes.getData(), bytes.getSize(), record).refusal, MicroPerformanceFile::Refusal::none) << "it opens again";
    }

    EXPECT_EQ (settleAndTakeWire(), Wire());
}

// Writes fail beyond a file size limit, as on a full disk, for as long as it lives.
class FileSizeLimit
{
public:
    explicit FileSizeLimit (rlim_t bytes)
    {
        getrlimit (RLIMIT_FSIZE, &previous);
        previousHandler = std::signal (SIGXFSZ, SIG_IGN);
        rlimit limit = previous;
        limit.rlim_cur = bytes;
        setrlimit (RLIMIT_FSIZE, &limit);
    }

    ~FileSizeLimit()
    {
        setrlimit (RLIMIT_FSIZE, &previous);
        std::signal (SIGXFSZ, previousHandler);
        // A console redirected to a file failed meanwhile; let it write again.
        std::cout.clear();
        std::cerr.clear();
    }

private:
    rlimit previous {};
    void (*previousHandler) (int) = nullptr;
};

TEST_F (PanelFiles, AFailedSaveIsReportedAndKeepsTheRecordsNameAndTheOldFile)
{
    const auto oldFile = folder.getChildFile ("Old.snd");
    const juce::String oldContent ("what was there before");
    ASSERT_TRUE (oldFile.replaceWithText (oldContent));
    const auto notAFolder = folder.getChildFile ("plain");
    ASSERT_TRUE (notAFolder.replaceWithText ("a file, not a folder"));

    struct Case
    {
        const char* what;
        juce::File chosen;
        bool diskFull;
    };

    const Case cases[] = {
        { "a folder that cannot be written", notAFolder.getChildFile ("New.snd"), false },
        { "a disk that fills up during the write", oldFile, true },
    };

    for (const auto& testCase : cases)
    {
        SCOPED_TRACE (testCase.what);
        const auto before = c().midi.getMicroPCopy();

        {
            std::unique_ptr<FileSizeLimit> limit;

            if (testCase.diskFull)
                limit = std::make_unique<FileSizeLimit> (1000);

            panel().saveFile (testCase.chosen);
        }

        EXPECT_EQ (takeMessageBox(), saveFailedText);
        EXPECT_EQ (nameOf (c().midi.getMicroPCopy()), nameOf (before));
        EXPECT_EQ (oldFile.loadFileAsString(), oldContent);
    }

    EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories, "*"), 2) << "no temporary file is left";
}

//==============================================================================
// Works the framework's own file dialog once it is open: the test's action
// runs inside the dialog's modal loop.
class DialogDriver : private juce::Timer
{
public:
    using Action = std::function<void (juce::FileChooserDialogBox&, juce::FileBrowserComponent&)>;

    explicit DialogDriver (Action actionToRun) : action (std::move (actionToRun))
    {
        startTimer (20);
    }

    bool ran = false;

    static juce::Button* findButton (juce::Component& parent, const juce::String& text)
    {
        for (auto* child : parent.getChildren())
        {
            if (auto* button = dynamic_cast<juce::TextButton*> (child); button != nullptr && button->getButtonText() == text)
                return button;

            if (auto* found = findButton (*child, text))
                return found;
        }

        return nullptr;
    }

private:
    static juce::FileBrowserComponent* findBrowser (juce::Component& parent)
    {
        for (auto* child : parent.getChildren())
        {
            if (auto* browser = dynamic_cast<juce::FileBrowserComponent*> (child))
                return browser;

            if (auto* found = findBrowser (*child))
                return found;
        }

        return nullptr;
    }

    void timerCallback() override
    {
        auto& desktop = juce::Desktop::getInstance();

        for (int i = 0; i < desktop.getNumComponents(); ++i)
        {
            auto* dialog = dynamic_cast<juce::FileChooserDialogBox*> (desktop.getComponent (i));
            auto* browser = dialog != nullptr ? findBrowser (*dialog) : nullptr;

            if (browser != nullptr && dialog->isCurrentlyModal())
            {
                stopTimer();
                ran = true;
                action (*dialog, *browser);
                return;
            }
        }
    }

    Action action;
};

void press (juce::FileChooserDialogBox& dialog, const juce::String& button)
{
    auto* found = DialogDriver::findButton (dialog, button);
    ASSERT_NE (found, nullptr) << button;
    found->triggerClick();
}

class PanelFileDialogs : public PanelFiles
{
protected:
    void SetUp() override
    {
        // With either program installed the dialog would be another
        // process's; the framework looks for them as this does.
        for (const auto* program : { "zenity", "kdialog" })
        {
            juce::ChildProcess which;

            if (which.start (juce::String ("which ") + program) && which.waitForProcessToFinish (processTimeoutMs) && which.getExitCode() == 0)
                GTEST_SKIP() << program << " would show the dialog";
        }

        PanelFiles::SetUp();
    }
};

TEST_F (PanelFileDialogs, TheSaveDialogProposesALegalNameFromTheRecordInTheLastFolder)
{
    struct Case
    {
        const char* what;
        std::string nameField; // all 20 bytes when 20 long
        juce::String proposed;
    };

    const Case cases[] = {
        { "blanks and percent signs", "  Grand%1", "Grand1" },
        { "twenty bytes without a zero", "Twenty bytes of name", "Twenty bytes of name" },
        { "a way into another folder", "../up/Hall", "upHall" },
        { "no name", "", "" },
    };

    c().lastDirectory = folder;

    for (const auto& testCase : cases)
    {
        SCOPED_TRACE (testCase.what);
        changeRecord ([&testCase] (ST_MICROPERFORMANCE& r)
                      {
                          std::memset (r.name, 0, sizeof (r.name));
                          std::memcpy (r.name, testCase.nameField.data(), testCase.nameField.size()); });
        const auto before = c().midi.getMicroPCopy();

        juce::String title;
        juce::File root, proposed;
        DialogDriver driver ([&] (juce::FileChooserDialogBox& dialog, juce::FileBrowserComponent& browser)
                             {
                                 title = dialog.getName();
                                 root = browser.getRoot();
                                 proposed = browser.getSelectedFile (0);
                                 press (dialog, "Cancel"); });
        panel().saveFile();

        ASSERT_TRUE (driver.ran);
        EXPECT_EQ (title, "Save Microperformance");
        EXPECT_EQ (root, folder);
        EXPECT_EQ (proposed, testCase.proposed.isEmpty() ? folder : folder.getChildFile (testCase.proposed));
        EXPECT_TRUE (sameRecord (c().midi.getMicroPCopy(), before)) << "cancelled";
        EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories, "*"), 0);
    }
}

TEST_F (PanelFileDialogs, AFileChosenInTheDialogsIsSavedAndOpenedAndItsFolderIsTheNextStart)
{
    changeRecord ([] (ST_MICROPERFORMANCE& r)
                  { makeDistinct (r); });
    const auto saved = c().midi.getMicroPCopy();
    const auto other = folder.getChildFile ("other");
    ASSERT_TRUE (other.createDirectory());
    c().lastDirectory = folder;

    DialogDriver saving ([&other] (juce::FileChooserDialogBox& dialog, juce::FileBrowserComponent& browser)
                         {
                             browser.setRoot (other);
                             browser.setFileName ("Chosen");
                             press (dialog, "Save"); });
    panel().saveFile();

    ASSERT_TRUE (saving.ran);
    EXPECT_TRUE (other.getChildFile ("Chosen.snd").existsAsFile());
    EXPECT_EQ (c().lastDirectory, other);
    EXPECT_EQ (nameOf (c().midi.getMicroPCopy()), "Chosen");

    changeRecord ([] (ST_MICROPERFORMANCE& r)
                  { r = initialMicroPerformance(); });

    juce::String title;
    juce::File root;
    bool sndShown = false, otherShown = true;
    DialogDriver opening ([&] (juce::FileChooserDialogBox& dialog, juce::FileBrowserComponent& browser)
                          {
                              title = dialog.getName();
                              root = browser.getRoot();
                              sndShown = browser.isFileSuitable (other.getChildFile ("Chosen.snd"));
                              otherShown = browser.isFileSuitable (other.getChildFile ("Chosen.txt"));
                              browser.setFileName ("Chosen.snd");
                              press (dialog, "Open"); });
    panel().openFile();

    ASSERT_TRUE (opening.ran);
    EXPECT_EQ (title, "Open Microperformance");
    EXPECT_EQ (root, other);
    EXPECT_TRUE (sndShown);
    EXPECT_FALSE (otherShown);
    EXPECT_EQ (takeMessageBox(), "");

    auto expected = saved;
    std::memset (expected.name, 0, sizeof (expected.name));
    std::strcpy (expected.name, "Chosen");
    EXPECT_TRUE (sameRecord (c().midi.getMicroPCopy(), expected));
}

// Answers each question of the framework's that opens with this title, and counts them.
class QuestionDriver : private juce::Timer
{
public:
    QuestionDriver (juce::String questionTitle, juce::String buttonCaption)
        : title (std::move (questionTitle)),
          caption (std::move (buttonCaption))
    {
        startTimer (20);
    }

    int asked = 0;

private:
    void timerCallback() override
    {
        auto& desktop = juce::Desktop::getInstance();

        for (int i = 0; i < desktop.getNumComponents(); ++i)
        {
            auto* box = dynamic_cast<juce::AlertWindow*> (desktop.getComponent (i));

            if (box == nullptr || box->getName() != title || ! box->isCurrentlyModal() || std::find (answered.begin(), answered.end(), box) != answered.end())
                continue;

            answered.emplace_back (box);
            ++asked;

            if (auto* button = DialogDriver::findButton (*box, caption))
                button->triggerClick();
        }
    }

    const juce::String title, caption;
    std::vector<juce::Component::SafePointer<juce::Component>> answered;
};

TEST_F (PanelFileDialogs, AnExistingSndFileIsAskedAboutOnceWhateverNameTheUserTyped)
{
    struct Case
    {
        const char* typed;
        int dialogAsks;
        bool panelAsks;
    };

    const auto existing = folder.getChildFile ("Grand.snd");
    changeRecord ([] (ST_MICROPERFORMANCE& r)
                  { makeDistinct (r); });
    c().lastDirectory = folder;

    for (const auto& testCase : { Case { "Grand", 0, true }, Case { "Grand.snd", 1, false } })
    {
        SCOPED_TRACE (testCase.typed);
        ASSERT_TRUE (existing.replaceWithText ("what was there before"));
        auto expected = c().midi.getMicroPCopy();
        VelmorWire::storeNameText (expected, "Grand");

        QuestionDriver dialogQuestion ("File already exists", "Overwrite");
        DialogDriver saving ([&testCase] (juce::FileChooserDialogBox& dialog, juce::FileBrowserComponent& browser)
                             {
                                 browser.setFileName (testCase.typed);
                                 press (dialog, "Save"); });
        panel().saveFile();

        ASSERT_TRUE (saving.ran);
        EXPECT_EQ (dialogQuestion.asked, testCase.dialogAsks);
        EXPECT_EQ (c().messageBox != nullptr, testCase.panelAsks);

        if (c().messageBox != nullptr)
        {
            auto* replace = DialogDriver::findButton (*c().messageBox, "REPLACE");
            ASSERT_NE (replace, nullptr);
            replace->triggerClick();
            EXPECT_TRUE (PanelHarness::pumpUntil ([this]
                                                  { return c().messageBox == nullptr; }));
        }

        juce::MemoryBlock bytes;
        ASSERT_TRUE (existing.loadFileAsData (bytes));
        EXPECT_TRUE (bytes == MicroPerformanceFile::encode (expected));
        EXPECT_TRUE (sameRecord (c().midi.getMicroPCopy(), expected));
    }
}

TEST_F (PanelFileDialogs, ACancelledOpenDialogChangesNothing)
{
    const auto before = c().midi.getMicroPCopy();
    c().lastDirectory = folder;

    DialogDriver driver ([] (juce::FileChooserDialogBox& dialog, juce::FileBrowserComponent&)
                         { press (dialog, "Cancel"); });
    mouse().click (c().openButton);

    EXPECT_TRUE (driver.ran);
    EXPECT_TRUE (sameRecord (c().midi.getMicroPCopy(), before));
    EXPECT_EQ (c().lastDirectory, folder);
    EXPECT_EQ (settleAndTakeWire(), Wire());
}

//==============================================================================
// The panel's save dialog stands in as the user who chose one file.
class PanelSaveOverAFile : public PanelFiles
{
protected:
    void SetUp() override
    {
        harness.chooseFile = [this] (MainComponent::FileDialog, const juce::File&)
        { return chosen; };
        PanelFiles::SetUp();
    }

    // The user clicks the button of the open box that has this caption.
    void answerBox (const juce::String& caption)
    {
        ASSERT_NE (c().messageBox, nullptr);
        auto* button = DialogDriver::findButton (*c().messageBox, caption);
        ASSERT_NE (button, nullptr) << caption;
        PeerInput (*c().messageBox).click (button->getBounds().getCentre().toFloat());
        EXPECT_TRUE (PanelHarness::pumpUntil ([this]
                                              { return c().messageBox == nullptr; }));
    }

    juce::File chosen;
};

TEST_F (PanelSaveOverAFile, AnSndFileThatOnlyTheAddedExtensionNamesIsReplacedOnlyWhenTheUserSaysSo)
{
    struct Case
    {
        const char* answer;
        bool replaced;
    };

    const auto existing = folder.getChildFile ("Grand.snd");
    chosen = folder.getChildFile ("Grand");
    auto other = c().midi.getMicroPCopy();
    VelmorWire::storeNameText (other, "Other");
    const auto oldBytes = MicroPerformanceFile::encode (other);
    changeRecord ([] (ST_MICROPERFORMANCE& r)
                  { makeDistinct (r); });

    for (const auto& testCase : { Case { "CANCEL", false }, Case { "REPLACE", true } })
    {
        SCOPED_TRACE (testCase.answer);
        ASSERT_TRUE (existing.replaceWithData (oldBytes.getData(), oldBytes.getSize()));
        const auto before = c().midi.getMicroPCopy();
        markLog();

        // user saves, keeping the name "Grand" | the panel asks first
        mouse().click (c().saveButton);
        ASSERT_NE (c().messageBox, nullptr);
        EXPECT_EQ (messageBoxText (*c().messageBox), "  \"Grand.snd\" already exists.\n  Do you want to replace it?  ");

        answerBox (testCase.answer);

        juce::MemoryBlock bytes;
        ASSERT_TRUE (existing.loadFileAsData (bytes));
        auto named = before;
        VelmorWire::storeNameText (named, "Grand");

        if (testCase.replaced)
        {
            EXPECT_TRUE (bytes == MicroPerformanceFile::encode (named));
            EXPECT_TRUE (sameRecord (c().midi.getMicroPCopy(), named));
            EXPECT_TRUE (logged ("Save " + existing.getFullPathName()));
        }
        else
        {
            EXPECT_TRUE (bytes == oldBytes) << "the file is left byte for byte";
            EXPECT_TRUE (sameRecord (c().midi.getMicroPCopy(), before)) << "the record keeps its name";
            EXPECT_FALSE (logged ("Save " + existing.getFullPathName()));
        }

        EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories, "*"), 1);
        EXPECT_EQ (c().messageBox, nullptr);
    }

    EXPECT_EQ (settleAndTakeWire(), Wire());
}

//==============================================================================
// A panel that follows the instrument, with file dialogs that keep the
// message loop running while they are open, as the system's dialogs do: the
// test acts meanwhile, then the dialog gives the chosen file.
class PanelDialogsWhileFollowing : public PanelScenario
{
protected:
    void SetUp() override
    {
        harness.chooseFile = [this] (MainComponent::FileDialog dialog, const juce::File&)
        {
            shown.push_back (dialog);
            meanwhile();
            return chosen;
        };
        PanelScenario::SetUp();

        folder = juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("saves");
        ASSERT_TRUE (folder.createDirectory());
        chosen = folder.getChildFile ("Saved.snd");
    }

    void TearDown() override
    {
        PanelScenario::TearDown();
        folder.deleteRecursively();
    }

    // A new panel, connected, edits part 0, which plays "Grand".
    void connectPlayingGrand()
    {
        buildPanel();
        instrument().setNames (0, { "Grand", "Hall" });
        instrument().setPart (0, shownPart ("Grand", 0, 3));
        connect();
    }

    void waitForAPing()
    {
        const auto pings = instrument().getPingRequestCount();
        EXPECT_TRUE (PanelHarness::pumpUntil ([this, pings]
                                              { return instrument().getPingRequestCount() > pings; },
                                              processTimeoutMs));
        settle();
    }

    void click (juce::Component& button)
    {
        PeerInput (harness.getPanel()).click (clickablePointOf (button));
    }

    juce::File folder, chosen;
    std::function<void()> meanwhile;
    std::vector<MainComponent::FileDialog> shown;
};

TEST_F (PanelDialogsWhileFollowing, TheFileHoldsTheSoundShownWhenSaveWasPressedAndOnlyThatSoundTakesTheFilesName)
{
    struct Case
    {
        const char* what;
        std::function<void()> meanwhile;
        bool renamed;
        const char* nameAfter;
    };

    const Case cases[] = {
        { "the instrument only pings", [this]
          { waitForAPing(); },
          true,
          "Saved" },
        { "the instrument plays another sound", [this]
          {
              instrument().setPart (0, shownPart ("Hall", 1, 8));
              send (FromInstrument::programChange (0, 0, 1));
              settle(); },
          false,
          "Hall" },
        { "the user switches the connection off", [this]
          {
              clickConnect();
              settle(); },
          false,
          "" },
    };

    for (const auto& testCase : cases)
    {
        SCOPED_TRACE (testCase.what);
        connectPlayingGrand();

        const auto pressed = panel().midi.getMicroPCopy();
        ASSERT_EQ (nameOf (pressed), "Grand");
        ST_MICROPERFORMANCE beforeClosing {};
        meanwhile = [this, &testCase, &beforeClosing]
        {
            testCase.meanwhile();
            beforeClosing = panel().midi.getMicroPCopy();
        };
        shown.clear();

        click (panel().saveButton);

        ASSERT_EQ (shown, std::vector { MainComponent::FileDialog::save });
        auto saved = pressed;
        VelmorWire::storeNameText (saved, "Saved");
        juce::MemoryBlock bytes;
        ASSERT_TRUE (chosen.loadFileAsData (bytes));
        EXPECT_TRUE (bytes == MicroPerformanceFile::encode (saved)) << "the file holds the sound shown at the press, under the file's name";

        const auto after = panel().midi.getMicroPCopy();
        EXPECT_EQ (nameOf (after), testCase.nameAfter);

        if (testCase.renamed)
        {
            EXPECT_TRUE (sameRecord (after, saved));
        }
        else
        {
            EXPECT_FALSE (sameRecord (beforeClosing, pressed)) << "the record changed while the dialog was open";
            EXPECT_TRUE (sameRecord (after, beforeClosing)) << "the save left it alone";
        }

        ASSERT_TRUE (chosen.deleteFile());
    }
}

TEST_F (PanelDialogsWhileFollowing, AFileChosenAfterTheEditedPartWentToASoundThatMayNotBeEditedIsNotLoaded)
{
    struct Case
    {
        const char* what;
        std::function<void()> meanwhile;
        bool loaded;
    };

    const Case cases[] = {
        { "the instrument only pings", [this]
          { waitForAPing(); },
          true },
        { "the edited part goes to a sound of bank 2", [this]
          {
              send (FromInstrument::programChange (0, 2, 5));
              settle(); },
          false },
    };

    for (const auto& testCase : cases)
    {
        SCOPED_TRACE (testCase.what);
        connectPlayingGrand();

        auto opened = panel().midi.getMicroPCopy();
        VelmorWire::storeNameText (opened, "Opened");
        ASSERT_TRUE (chosen.replaceWithData (MicroPerformanceFile::encode (opened).getData(), (size_t) MicroPerformanceFile::fileSize));
        ST_MICROPERFORMANCE beforeClosing {};
        meanwhile = [this, &testCase, &beforeClosing]
        {
            testCase.meanwhile();
            beforeClosing = panel().midi.getMicroPCopy();
            takeWire();
        };
        shown.clear();

        click (panel().openButton);
        settle();

        ASSERT_EQ (shown, std::vector { MainComponent::FileDialog::open });
        EXPECT_EQ (panel().messageBox, nullptr);

        if (testCase.loaded)
        {
            EXPECT_EQ (nameOf (panel().midi.getMicroPCopy()), "Opened");
            EXPECT_TRUE (PanelHarness::pumpUntil ([this, &opened]
                                                  { return std::memcmp (instrument().getPart (0).name.data(), opened.name, sizeof (opened.name)) == 0; },
                                                  processTimeoutMs))
                << "the file went to the edited part";
        }
        else
        {
            EXPECT_TRUE (sameRecord (panel().midi.getMicroPCopy(), beforeClosing)) << "the record stays the reported sound";
            EXPECT_EQ (takeWire(), Wire()) << "nothing reaches the sound that may not be edited";
        }

        ASSERT_TRUE (chosen.deleteFile());
    }
}
} // namespace
