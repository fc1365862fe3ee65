#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

// The median and the 99th percentile of the samples, in microseconds, as
// counters of the run; none when there are no samples.
inline void reportSpread (benchmark::State& state, std::vector<double> samples)
{
    if (samples.empty())
        return;

    std::sort (samples.begin(), samples.end());
    state.counters["median_us"] = samples[samples.size() / 2];
    state.counters["p99_us"] = samples[std::min (samples.size() - 1, samples.size() * 99 / 100)];
}

// Runs the benchmarks of a program with JUCE started and HOME in a folder of
// the run's own, so that the link's log and any settings never touch the user's
// (the configuration folder follows XDG_CONFIG_HOME when that is set).
inline int runBenchmarksInTemporaryHome (int argc, char** argv)
{
    // With an application factory set, JUCE installs the X error handlers that
    // a display without a window manager needs for any window.
    juce::JUCEApplicationBase::createInstance = []() -> juce::JUCEApplicationBase*
    { return nullptr; };

    // Made and named in one step, so that two runs at once never share it.
    auto path = juce::File::getSpecialLocation (juce::File::tempDirectory)
                    .getChildFile ("velmor-bench-home-XXXXXX")
                    .getFullPathName()
                    .toStdString();

    if (mkdtemp (path.data()) == nullptr)
        return 1;

    const juce::File home (path);
    setenv ("HOME", home.getFullPathName().toRawUTF8(), 1);
    unsetenv ("XDG_CONFIG_HOME");

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
