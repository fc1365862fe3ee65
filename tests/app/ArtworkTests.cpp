#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

// The images are drawn by the generator; the committed files must be what it draws now.
TEST (Artwork, CommittedImagesAreWhatTheGeneratorDraws)
{
    // The test process's home folder is its own and goes when it ends.
    const auto folder = juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("artwork");
    ASSERT_TRUE (folder.createDirectory());

    juce::ChildProcess generator;
    ASSERT_TRUE (generator.start (juce::StringArray { VELMOR_ARTWORK_GENERATOR, folder.getFullPathName() }));
    const auto output = generator.readAllProcessOutput();
    ASSERT_TRUE (generator.waitForProcessToFinish (60000));
    ASSERT_EQ (generator.getExitCode(), 0u) << output;

    const juce::File resources (VELMOR_RESOURCE_DIR);
    const auto drawn = folder.findChildFiles (juce::File::findFiles, false, "*.png");
    EXPECT_EQ (drawn.size(), resources.findChildFiles (juce::File::findFiles, false, "*.png").size());

    for (const auto& file : drawn)
        EXPECT_TRUE (file.hasIdenticalContentTo (resources.getChildFile (file.getFileName())))
            << file.getFileName() << " differs from the generator's drawing: run tools/make-artwork.sh";
}
