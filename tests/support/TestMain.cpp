#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdlib>
#include <dlfcn.h>

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
    TemporaryHome() : folder (createUniqueFolder())
    {
        setenv ("HOME", folder.getFullPathName().toRawUTF8(), 1);
    }

    ~TemporaryHome()
    {
        folder.deleteRecursively();
    }

private:
    // Made and named in one step: test processes start together, and a name
    // chosen first and created after could be taken by two of them.
    static juce::File createUniqueFolder()
    {
        auto path = juce::File::getSpecialLocation (juce::File::tempDirectory)
                        .getChildFile ("velmor-test-home-XXXXXX")
                        .getFullPathName()
                        .toStdString();

        if (mkdtemp (path.data()) == nullptr)
            std::abort();

        return juce::File (path);
    }

    juce::File folder;
};
} // namespace

int main (int argc, char** argv)
{
    // JUCE loads Xlib at run time and unloads it at shutdown, after which the leak
    // checker finds Xlib's own caches unreachable. Keeping the library mapped keeps
    // them reachable.
    [[maybe_unused]] auto* const xlib = dlopen ("libX11.so.6", RTLD_LAZY | RTLD_NODELETE);

    // Without an application instance JUCE still installs its X error handlers,
    // which a bare Xvfb server needs before the first window opens.
    juce::JUCEApplicationBase::createInstance = &createNoApplication;

    testing::InitGoogleTest (&argc, argv);

    TemporaryHome home;
    juce::ScopedJuceInitialiser_GUI juceRuntime;
    return RUN_ALL_TESTS();
}
