#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdlib>

namespace
{
juce::JUCEApplicationBase* createNoApplication()
{
    return nullptr;
}

// Every test process gets a home folder of its own, so that the log and the
// settings it writes never touch the user's files or another test's.
class TemporaryHome
{
public:
    TemporaryHome()
        : folder (juce::File::getSpecialLocation (juce::File::tempDirectory)
                      .getNonexistentChildFile ("velmor-test-home", {}, false))
    {
        folder.createDirectory();
        setenv ("HOME", folder.getFullPathName().toRawUTF8(), 1);
    }

    ~TemporaryHome()
    {
        folder.deleteRecursively();
    }

private:
    juce::File folder;
};
} // namespace

int main (int argc, char** argv)
{
    // Without an application instance JUCE still installs its X error handlers,
    // which a bare Xvfb server needs before the first window opens.
    juce::JUCEApplicationBase::createInstance = &createNoApplication;

    testing::InitGoogleTest (&argc, argv);

    TemporaryHome home;
    juce::ScopedJuceInitialiser_GUI juceRuntime;
    return RUN_ALL_TESTS();
}
