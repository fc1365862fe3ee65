#include "BenchmarkMain.h"
#include "tests/app/PanelTestSupport.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>

// Figures of the editor panel against the simulated instrument: how long the
// editor takes to load a whole part, beside the time its bytes take on a
// MIDI 1.0 cable. Opens windows: run it on a display.
namespace
{
constexpr double midiBytesPerSecond = 3125.0; // 31250 baud, 10 bits a byte
constexpr int connectWaitMs = 5000;
constexpr int loadWaitMs = 3000;
constexpr int quietMs = 20;

using Part = SimulatedInstrument::Part;
using Clock = std::chrono::steady_clock;

// Two parts that differ in every value the panel shows and in the controls
// that close the part's data.
Part partNumbered (int number)
{
    Part part;
    part.setName ("Bench " + std::to_string (number));
    part.number = (uint8_t) number;
    part.iconId = (uint8_t) (33 + number);
    part.templateId = (uint8_t) (2 + number);

    for (size_t i = 0; i < part.params.size(); ++i)
        part.params[i] = (uint8_t) (20 + number * 40 + i);

    for (size_t t = 0; t < part.tracks.size(); ++t)
        for (size_t k = 0; k < part.tracks[t].size(); ++k)
            part.tracks[t][k] = (uint8_t) (20 + number * 40 + (t + k) % 30);

    part.volume = (uint8_t) (90 + number);
    part.pan = (uint8_t) (60 + number);
    part.reverbSend = (uint8_t) (30 + number);
    part.chorusSend = (uint8_t) (10 + number);
    return part;
}

bool showsWhole (PanelAccess& panel, const Part& part)
{
    for (size_t i = 0; i < part.params.size(); ++i)
        if (panel.partSliders[i]->getValue() != part.params[i])
            return false;

    unsigned char keys[KeyView::keyCount];
    panel.keyView.getKeyValues (0, keys, KeyView::keyCount);

    if (! std::equal (part.tracks[0].begin(), part.tracks[0].end(), keys))
        return false;

    if (panel.templateCombo.getSelectedId() != part.templateId + 1 || panel.iconCombo.getSelectedId() != part.iconId)
        return false;

    // The controllers that close the part's data are stored once all of it is.
    const auto record = panel.midi.getMicroPCopy();
    return record.chorusSend == part.chorusSend && record.reverbSend == part.reverbSend;
}

// From the part-data request leaving the editor to every control showing the
// part, the log written at every level as the program writes it.
void wholePartLoaded (benchmark::State& state)
{
    PanelHarness harness;
    harness.build();
    auto& panel = harness.controls();
    auto& instrument = harness.instrument();
    const Part parts[] = { partNumbered (0), partNumbered (1) };
    instrument.setPart (0, parts[0]);

    panel.connectButton.setToggleState (true, juce::sendNotification);

    if (! PanelHarness::pumpUntil ([&]
                                   { return showsWhole (panel, parts[0]); },
                                   connectWaitMs))
    {
        state.SkipWithError ("the panel did not connect and load the part");
        return;
    }

    PanelHarness::pump (quietMs);

    const auto requestBytes = (double) SimulatedInstrument::frame (MidiVelmor::CMD_GET_PART_MICROP_DATA, { 0 }).size();
    double dumpBytes = 0.0;

    for (const auto& m : instrument.partDump (0))
        dumpBytes += m.getRawDataSize();

    double editorSeconds = 0.0;
    size_t next = 1;

    for (auto _ : state)
    {
        const auto& part = parts[next];
        instrument.setPart (0, part);

        const auto start = Clock::now();
        panel.midi.getPartMicroPData (0);

        const auto deadline = start + std::chrono::milliseconds (loadWaitMs);

        while (! showsWhole (panel, part) && Clock::now() < deadline)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (0);

        const auto seconds = std::chrono::duration<double> (Clock::now() - start).count();
        state.SetIterationTime (seconds);
        editorSeconds += seconds;

        if (! showsWhole (panel, part))
        {
            state.SkipWithError ("the part was not shown");
            break;
        }

        // What the panel sends back once shown goes out before the next load.
        PanelHarness::pump (quietMs);
        next = 1 - next;
    }

    if (state.iterations() == 0)
        return;

    const auto cableSeconds = (requestBytes + dumpBytes) / midiBytesPerSecond;
    const auto editorMs = editorSeconds * 1000.0 / (double) state.iterations();
    state.counters["editor_ms"] = editorMs;
    state.counters["cable_ms"] = cableSeconds * 1000.0;
    state.counters["editor_%_of_cable"] = 100.0 * editorMs / (cableSeconds * 1000.0);
    state.counters["bytes"] = requestBytes + dumpBytes;
}

BENCHMARK (wholePartLoaded)->UseManualTime()->Unit (benchmark::kMillisecond);
} // namespace

int main (int argc, char** argv)
{
    return runBenchmarksInTemporaryHome (argc, argv);
}
