#include "BenchmarkMain.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <dlfcn.h>

namespace
{
juce::JUCEApplicationBase* createNoApplication()
{
    return nullptr;
}
} // namespace

int runBenchmarksWithOwnHome (int argc, char** argv)
{
    // JUCE unloads Xlib at shutdown, after which a leak checker finds Xlib's
    // own caches unreachable; kept mapped, they stay reachable.
    [[maybe_unused]] auto* const xlib = dlopen ("libX11.so.6", RTLD_LAZY | RTLD_NODELETE);

    // Without an application instance JUCE still installs its X error
    // handlers, which a bare virtual display needs.
    juce::JUCEApplicationBase::createInstance = &createNoApplication;

    const auto home = juce::File::getSpecialLocation (juce::File::tempDirectory).getNonexistentChildFile ("velmor-bench-home", {}, false);
    home.createDirectory();
    setenv ("HOME", home.getFullPathName().toRawUTF8(), 1);

    int result = 0;
    {
        juce::ScopedJuceInitialiser_GUI juceRuntime;
        benchmark::Initialize (&argc, argv);

        if (benchmark::ReportUnrecognizedArguments (argc, argv))
            result = 1;
        else
            benchmark::RunSpecifiedBenchmarks();

        benchmark::Shutdown();
    }

    home.deleteRecursively();
    return result;
}
