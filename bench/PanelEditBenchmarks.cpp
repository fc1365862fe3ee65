#include "app/KeyConstants.h"
#include "app/MicroPerformanceFile.h"
#include "bench/BenchmarkMain.h"
#include "tests/app/PanelTestSupport.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>

// How long the user's edits and a file load take through the whole panel, to
// the moment the link hands the last byte to the port of the simulated
// instrument.
namespace
{
using Clock = std::chrono::steady_clock;

constexpr int editSamples = 20000;
constexpr int clearEvery = 1024;
constexpr int startUpMs = 100;
constexpr unsigned char logEveryLevel = 0x1F;
constexpr int partSliderWithoutTwin = 5;
constexpr int keyWidthAtZoom1 = 11;
constexpr uint8_t cmdSetTrackParameter = 0x03;

double microseconds (Clock::duration d)
{
    return std::chrono::duration<double, std::micro> (d).count();
}

bool isPerKeyTable (const juce::MidiMessage& m)
{
    return m.isSysEx() && m.getSysExDataSize() > 4 && m.getSysExData()[4] == cmdSetTrackParameter;
}

// The panel of the program, connected to the simulated instrument and editing
// part 0, with the time of every message handed to its output port.
class ConnectedBenchPanel
{
public:
    explicit ConnectedBenchPanel (unsigned char logMask = logEveryLevel)
    {
        harness.build();
        PanelHarness::pump (startUpMs);
        connected = harness.connectLink();
        harness.controls().currentPart = 0;
        harness.controls().midi.editChannel = 0;
        harness.controls().midi.setLogLevel (logMask);

        harness.getPorts().setSendObserver ([this] (const juce::String&, const juce::MidiMessage& m)
                                            { sent.push_back ({ Clock::now(), m }); });
    }

    ~ConnectedBenchPanel()
    {
        harness.getPorts().setSendObserver ({});
    }

    bool isReady (benchmark::State& state)
    {
        if (! connected)
            state.SkipWithError ("the simulated instrument did not connect");

        return connected;
    }

    void forget()
    {
        sent.clear();
        harness.getPorts().clearSentMessages();
    }

    struct Sent
    {
        Clock::time_point at;
        juce::MidiMessage message;
    };

    PanelHarness harness;
    bool connected = false;
    std::vector<Sent> sent;
};

// A part slider takes a new value; its handler stores it and sends the three
// controller messages of the parameter. The argument is the link's log mask:
// the program's, which writes every message to the log, or none.
void editToWire (benchmark::State& state)
{
    ConnectedBenchPanel bench ((unsigned char) state.range (0));

    if (! bench.isReady (state))
        return;

    auto& slider = *bench.harness.controls().partSliders[partSliderWithoutTwin];
    std::vector<double> samples;
    samples.reserve (editSamples);
    bench.sent.reserve (clearEvery * 3);
    auto value = 40;

    for (auto _ : state)
    {
        value = value == 40 ? 90 : 40;
        const auto start = Clock::now();
        slider.setValue (value, juce::sendNotificationSync);
        samples.push_back (microseconds (bench.sent.back().at - start));

        if (samples.size() % clearEvery == 0)
        {
            state.PauseTiming();
            bench.forget();
            state.ResumeTiming();
        }
    }

    reportSpread (state, std::move (samples));
}

// One left stroke over all 88 keys at zoom 1, one drag step a key, from the
// press to the last per-key block handed to the port; log mask as above.
void strokeToWire (benchmark::State& state)
{
    ConnectedBenchPanel bench ((unsigned char) state.range (0));

    if (! bench.isReady (state))
        return;

    auto& editor = *bench.harness.controls().keyView.getViewedComponent();
    const auto now = juce::Time::getCurrentTime();
    const auto source = juce::Desktop::getInstance().getMainMouseSource();
    std::vector<juce::MouseEvent> events;

    for (int k = 0; k < KEY_COUNT; ++k)
    {
        const juce::Point<float> position ((float) (k * keyWidthAtZoom1 + keyWidthAtZoom1 / 2), (float) ((k * 23) % editor.getHeight()));
        events.emplace_back (source, position, juce::ModifierKeys::leftButtonModifier, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, &editor, &editor, now, position, now, 1, k > 0);
    }

    bench.sent.reserve (KEY_COUNT * 2);
    const std::vector<unsigned char> centre (KEY_COUNT, KEY_VALUE_CENTRE);

    for (auto _ : state)
    {
        bench.forget();
        bench.harness.controls().keyView.setKeyValues (0, centre.data(), KEY_COUNT);
        const auto start = Clock::now();
        editor.mouseDown (events.front());

        for (size_t i = 1; i < events.size(); ++i)
            editor.mouseDrag (events[i]);

        editor.mouseUp (events.back());
        state.SetIterationTime (std::chrono::duration<double> (bench.sent.back().at - start).count());
    }
}

// A file opened: checked, read, decoded, shown, and the whole part sent with
// a pause after each per-key table. The pauses are counted apart from the
// editor's own time.
void openToWire (benchmark::State& state)
{
    ConnectedBenchPanel bench;

    if (! bench.isReady (state))
        return;

    auto record = initialMicroPerformance();
    std::strcpy (record.name, "Bench");

    for (int t = 0; t < ST_MICROPERFORMANCE::trackCount; ++t)
        for (int k = 0; k < ST_MICROPERFORMANCE::keyCount; ++k)
            record.tracks[t][k] = (unsigned char) (14 + (k + t) % 101);

    const auto file = bench.harness.userSettingsFolder().getSiblingFile ("Bench.snd");
    const auto bytes = MicroPerformanceFile::encode (record);
    file.replaceWithData (bytes.getData(), bytes.getSize());

    std::vector<double> totals, pauses;
    bench.sent.reserve (512);

    for (auto _ : state)
    {
        bench.forget();
        const auto start = Clock::now();
        bench.harness.getPanel().openFile (file);
        const auto total = bench.sent.back().at - start;

        Clock::duration paused {};

        for (size_t i = 0; i + 1 < bench.sent.size(); ++i)
            if (isPerKeyTable (bench.sent[i].message))
                paused += bench.sent[i + 1].at - bench.sent[i].at;

        totals.push_back (microseconds (total) / 1000.0);
        pauses.push_back (microseconds (paused) / 1000.0);
        state.SetIterationTime (std::chrono::duration<double> (total - paused).count());

        // The sliders' own sends after a load are not part of it.
        state.PauseTiming();
        PanelHarness::pump (20);
        state.ResumeTiming();
    }

    std::sort (totals.begin(), totals.end());
    std::sort (pauses.begin(), pauses.end());
    state.counters["total_ms"] = totals[totals.size() / 2];
    state.counters["pauses_ms"] = pauses[pauses.size() / 2];
    file.deleteFile();
}

} // namespace

BENCHMARK (editToWire)->ArgName ("log")->Arg (0x1F)->Arg (0)->Iterations (editSamples)->UseRealTime();
BENCHMARK (strokeToWire)->ArgName ("log")->Arg (0x1F)->Arg (0)->UseManualTime()->Repetitions (9)->ReportAggregatesOnly (true)->Unit (benchmark::kMicrosecond);
BENCHMARK (openToWire)->UseManualTime()->Iterations (20)->Repetitions (3)->ReportAggregatesOnly (true)->Unit (benchmark::kMillisecond);

int main (int argc, char** argv)
{
    return runBenchmarksInTemporaryHome (argc, argv);
}
