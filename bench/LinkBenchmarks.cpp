#include "bench/BenchmarkMain.h"
#include "link/MidiVelmor.h"
#include "tests/support/IgnoringLinkListener.h"
#include "tests/support/SimulatedInstrument.h"
#include "tests/support/VirtualMidiPorts.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>

// Figures of the instrument link: how fast received MIDI reaches the record,
// how long an edit takes to reach the port, and what the log's dump of a
// large SysEx costs.
namespace
{
const juce::String inputName = "Velmor In";
const juce::String outputName = "Velmor Out";
constexpr double midiBytesPerSecond = 3125.0; // 31250 baud, 10 bits a byte
constexpr int connectWaitMs = 3000;
constexpr int partsPerBatch = 4;
constexpr int latencySamples = 20000;

class DiscardingTarget : public juce::MessageListener
{
    void handleMessage (const juce::Message&) override {}
};

class DiscardingLogger : public juce::Logger
{
    void logMessage (const juce::String&) override {}
};

// Signals when the layer-mode reply that closes a batch has been decoded.
class BatchEnd : public IgnoringLinkListener
{
public:
    juce::WaitableEvent decoded;

    void onGetLayerMode (MidiVelmor*, unsigned char) override { decoded.signal(); }
};

// A link connected to the simulated instrument, with the log mask under test.
struct ConnectedLink
{
    explicit ConnectedLink (unsigned char logMask)
    {
        auto virtualPorts = std::make_unique<VirtualMidiPorts> (juce::StringArray { inputName }, juce::StringArray { outputName });
        ports = virtualPorts.get();
        instrument = std::make_unique<SimulatedInstrument> (*ports, inputName, outputName);
        link = std::make_unique<MidiVelmor> ("Midi.log", logMask, std::move (virtualPorts));
        link->messageListener = &target;
        link->addListener (&batchEnd);
        link->setActiveInput (0);
        link->setActiveOutput (0);
        link->connect();

        const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) connectWaitMs;
        while (link->getConnectionState() != Midi::STATE_CONNECTED && juce::Time::getMillisecondCounter() < end)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (5);
        link->editChannel = 0;
    }

    ~ConnectedLink()
    {
        link->disconnect();
        link->removeListener (&batchEnd);
        instrument.reset();
        link.reset();
        juce::MessageManager::getInstance()->runDispatchLoopUntil (1);
    }

    bool connected() const { return link->getConnectionState() == Midi::STATE_CONNECTED; }

    DiscardingTarget target;
    BatchEnd batchEnd;
    VirtualMidiPorts* ports = nullptr;
    std::unique_ptr<SimulatedInstrument> instrument;
    std::unique_ptr<MidiVelmor> link;
};

void receiveThroughput (benchmark::State& state)
{
    ConnectedLink setup ((unsigned char) state.range (0));
    if (! setup.connected())
    {
        state.SkipWithError ("the simulated instrument did not connect");
        return;
    }

    // What a part-data request brings, several times over, closed by a
    // layer-mode reply whose listener call marks the batch as decoded.
    auto part = SimulatedInstrument::Part();
    part.setName ("Concert Grand");
    setup.instrument->setPart (0, part);

    std::vector<juce::MidiMessage> batch;
    for (int i = 0; i < partsPerBatch; ++i)
    {
        const auto dump = setup.instrument->partDump (0);
        batch.insert (batch.end(), dump.begin(), dump.end());
    }
    const auto closing = SimulatedInstrument::frame (11, { 0 });
    batch.emplace_back (closing.data(), (int) closing.size());

    int64_t bytesPerBatch = 0;
    for (const auto& m : batch)
        bytesPerBatch += m.getRawDataSize();

    using Clock = std::chrono::steady_clock;
    double decodingSeconds = 0.0;

    for (auto _ : state)
    {
        const auto start = Clock::now();
        setup.batchEnd.decoded.reset();
        for (const auto& m : batch)
            setup.ports->deliver (inputName, m);
        if (! setup.batchEnd.decoded.wait (connectWaitMs))
        {
            state.SkipWithError ("a batch was not decoded in time");
            break;
        }

        decodingSeconds += std::chrono::duration<double> (Clock::now() - start).count();

        state.PauseTiming();
        // The posted notifications are freed on the message thread.
        juce::MessageManager::getInstance()->runDispatchLoopUntil (1);
        state.ResumeTiming();
    }

    const auto bytes = (double) (bytesPerBatch * (int64_t) state.iterations());
    state.SetBytesProcessed ((int64_t) bytes);
    if (decodingSeconds > 0.0)
    {
        state.counters["MIDI_bytes_per_s"] = bytes / decodingSeconds;
        state.counters["times_MIDI_1.0"] = bytes / decodingSeconds / midiBytesPerSecond;
    }
}

void editLatency (benchmark::State& state)
{
    ConnectedLink setup ((unsigned char) state.range (0));
    if (! setup.connected())
    {
        state.SkipWithError ("the simulated instrument did not connect");
        return;
    }

    using Clock = std::chrono::steady_clock;
    Clock::time_point handedOver;
    // The data entry is the last of the three controller messages of an edit.
    setup.ports->setSendObserver ([&handedOver] (const juce::String&, const juce::MidiMessage& m)
                                  {
                                      if (m.isController() && m.getControllerNumber() == 6)
                                          handedOver = Clock::now(); });

    std::vector<double> samples;
    samples.reserve (latencySamples);
    unsigned char param = 0;

    for (auto _ : state)
    {
        const auto start = Clock::now();
        setup.link->sendPartParam (0, param);
        benchmark::DoNotOptimize (handedOver);
        samples.push_back (std::chrono::duration<double, std::micro> (handedOver - start).count());
        param = (unsigned char) ((param + 1) % 18);

        if (samples.size() % 1024 == 0)
        {
            state.PauseTiming();
            setup.ports->clearSentMessages();
            state.ResumeTiming();
        }
    }

    setup.ports->setSendObserver ({});
    reportSpread (state, std::move (samples));
}

// The dump of one received SysEx of the given size, whole, into a process-wide
// logger that keeps nothing; the time per byte stays the same as it grows.
void logDumpOfSysEx (benchmark::State& state)
{
    const auto size = (int) state.range (0);
    std::vector<juce::uint8> data ((size_t) size - 2);

    for (size_t i = 0; i < data.size(); ++i)
        data[i] = (juce::uint8) (i & 0x7F);

    const auto message = juce::MidiMessage::createSysExMessage (data.data(), (int) data.size());

    // Without a file name the log opens no file and writes to the process-wide logger.
    AppLogger log ({}, Midi::maxInitialLogFileSize);
    log.setLogLevel (AppLogger::LOG_MIDI);
    DiscardingLogger discarding;
    juce::Logger::setCurrentLogger (&discarding);

    for (auto _ : state)
        log.writeToLog (message, true);

    juce::Logger::setCurrentLogger (nullptr);
    state.SetBytesProcessed ((int64_t) state.iterations() * size);
    state.counters["seconds_per_byte"] = benchmark::Counter (size, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The log mask of the program (every level, MIDI dumps included) and none.
BENCHMARK (receiveThroughput)->Arg (0x1F)->Arg (0)->Unit (benchmark::kMillisecond)->UseRealTime();
BENCHMARK (editLatency)->Arg (0x1F)->Arg (0)->Iterations (latencySamples)->UseRealTime();
BENCHMARK (logDumpOfSysEx)->Arg (1024)->Arg (16384)->Arg (65536)->Unit (benchmark::kMicrosecond);
} // namespace

int main (int argc, char** argv)
{
    return runBenchmarksInTemporaryHome (argc, argv);
}
