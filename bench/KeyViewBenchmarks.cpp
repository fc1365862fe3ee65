#include "controls/KeyEdit.h"

#include <benchmark/benchmark.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <chrono>
#include <vector>

namespace
{
constexpr int visibleWidth = 968;
constexpr int visibleHeight = KeyView::editorHeight;

KeyView::KeyEdit& editorOf (KeyView& view)
{
    return *dynamic_cast<KeyView::KeyEdit*> (view.getViewedComponent());
}

// A curve that gives every column a bar of its own height on both sides of the centre.
std::array<unsigned char, KeyView::keyCount> variedValues()
{
    std::array<unsigned char, KeyView::keyCount> values {};

    for (int k = 0; k < KeyView::keyCount; ++k)
        values[(size_t) k] = (unsigned char) (14 + (k * 37) % 101);

    return values;
}

void paintVisibleArea (benchmark::State& state)
{
    KeyView view;
    view.setZoom ((int) state.range (0));
    const auto values = variedValues();
    view.setKeyValues (0, values.data(), KeyView::keyCount);

    juce::Image image (juce::Image::ARGB, visibleWidth, visibleHeight, true);
    auto& editor = editorOf (view);

    for (auto _ : state)
    {
        juce::Graphics g (image);
        editor.paint (g);
    }
}

void repaintAfterSettingAllKeys (benchmark::State& state)
{
    KeyView view;
    auto values = variedValues();
    juce::Image image (juce::Image::ARGB, visibleWidth, visibleHeight, true);
    auto& editor = editorOf (view);

    for (auto _ : state)
    {
        values[0] = (unsigned char) (values[0] == 14 ? 114 : 14);
        view.setKeyValues (0, values.data(), KeyView::keyCount);
        juce::Graphics g (image);
        editor.paint (g);
    }
}

class LastChange : public KeyView::Listener
{
public:
    void mouseOverKey (KeyView*, unsigned char, unsigned char) override {}

    void valuesChanged (KeyView*, unsigned char, unsigned char) override
    {
        at = std::chrono::steady_clock::now();
    }

    std::chrono::steady_clock::time_point at;
};

// One left stroke over all 88 keys at zoom 1, one drag step per key, rising and falling.
void strokeAcrossAllKeys (benchmark::State& state)
{
    KeyView view;
    LastChange lastChange;
    view.addListener (&lastChange);
    auto& editor = editorOf (view);

    const auto now = juce::Time::getCurrentTime();
    const auto source = juce::Desktop::getInstance().getMainMouseSource();
    std::vector<juce::MouseEvent> events;

    for (int k = 0; k < KeyView::keyCount; ++k)
    {
        const juce::Point<float> position ((float) (k * 11 + 5), (float) ((k * 23) % visibleHeight));
        events.emplace_back (source, position, juce::ModifierKeys::leftButtonModifier, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, &editor, &editor, now, position, now, 1, k > 0);
    }

    const std::vector<unsigned char> centre (KeyView::keyCount, KeyView::valueCentre);

    for (auto _ : state)
    {
        view.setKeyValues (0, centre.data(), KeyView::keyCount);

        const auto start = std::chrono::steady_clock::now();
        editor.mouseDown (events.front());

        for (size_t i = 1; i < events.size(); ++i)
            editor.mouseDrag (events[i]);

        editor.mouseUp (events.back());
        state.SetIterationTime (std::chrono::duration<double> (lastChange.at - start).count());
    }
}
} // namespace

BENCHMARK (paintVisibleArea)->ArgName ("zoom")->Arg (1)->Arg (2)->Arg (4)->Repetitions (9)->ReportAggregatesOnly (true)->Unit (benchmark::kMicrosecond);
BENCHMARK (repaintAfterSettingAllKeys)->Repetitions (9)->ReportAggregatesOnly (true)->Unit (benchmark::kMicrosecond);
BENCHMARK (strokeAcrossAllKeys)->UseManualTime()->Repetitions (9)->ReportAggregatesOnly (true)->Unit (benchmark::kMicrosecond);

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juceRuntime;
    benchmark::Initialize (&argc, argv);

    if (benchmark::ReportUnrecognizedArguments (argc, argv))
        return 1;

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
