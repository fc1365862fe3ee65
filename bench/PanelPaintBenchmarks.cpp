#include "BenchmarkMain.h"
#include "app/MainComponent.h"
#include "tests/support/VirtualMidiPorts.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace
{
// A panel on ports without an instrument, on a display large enough for 200 %.
class BenchPanel
{
public:
    BenchPanel()
    {
        MainComponent::Environment environment;
        environment.midiPorts = std::make_unique<VirtualMidiPorts> (juce::StringArray {}, juce::StringArray {});
        environment.readMainDisplay = []
        { return WindowScale::MainDisplay { 3840, 2160, 1.0 }; };
        panel = std::make_unique<MainComponent> (std::move (environment));
        // The start-up notifications fill the controls before the first paint.
        juce::MessageManager::getInstance()->runDispatchLoopUntil (100);
    }

    ~BenchPanel()
    {
        panel.reset();
        juce::Desktop::getInstance().setGlobalScaleFactor (1.0f);
    }

    std::unique_ptr<MainComponent> panel;
};

// One paint of the whole panel, every control included, into a software image
// of the window's size at the scale given in percent. The image is opaque, as
// the window's own is.
void paintWholePanel (benchmark::State& state)
{
    BenchPanel bench;
    const auto scale = (float) state.range (0) / 100.0f;
    auto& panel = *bench.panel;
    juce::Image image (juce::Image::RGB, juce::roundToInt ((float) panel.getWidth() * scale), juce::roundToInt ((float) panel.getHeight() * scale), true, juce::SoftwareImageType());

    for (auto _ : state)
    {
        juce::Graphics g (image);
        g.addTransform (juce::AffineTransform::scale (scale));
        panel.paintEntireComponent (g, false);
    }
}
} // namespace

BENCHMARK (paintWholePanel)->ArgName ("percent")->Arg (100)->Arg (200)->Repetitions (9)->ReportAggregatesOnly (true)->Unit (benchmark::kMillisecond);

int main (int argc, char** argv)
{
    return runBenchmarksInTemporaryHome (argc, argv);
}
