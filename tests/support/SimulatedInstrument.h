#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

class VirtualMidiPorts;

// An instrument behind the virtual ports: it watches what the editor sends to
// one output, answers through one input and keeps a record of its own. Its
// parser is written independently of the link, so that the two check each other.
class SimulatedInstrument
{
public:
    static constexpr int keyCount = 88;
    static constexpr int trackCount = 12;
    static constexpr int partParamCount = 18;
    static constexpr int nameSize = 20;
    static constexpr int pedalCount = 5;
    static constexpr int channelCount = 16;

    // The parameter blocks of NRPN groups 1 to 4, 6 and 7, indexed by the NRPN
    // parameter number, holding the last value received for it.
    static constexpr int group1Size = 5;
    static constexpr int group2Size = 9;
    static constexpr int group3Size = 14;
    static constexpr int group4Size = 7;
    static constexpr int group6Size = 14;
    static constexpr int group7Size = 7;

    struct Part
    {
        std::array<uint8_t, nameSize> name {}; // raw bytes, NUL padded
        uint8_t iconId = 0;
        uint8_t bank = 0;
        uint8_t number = 0;
        std::array<uint8_t, 4> infoBytes {};
        uint8_t templateId = 0;
        uint8_t infoByte = 0;
        std::array<uint8_t, partParamCount> params {};
        std::array<std::array<uint8_t, keyCount>, trackCount> tracks {};
        std::array<uint8_t, group1Size> group1 {};
        std::array<uint8_t, group2Size> group2 {};
        std::array<uint8_t, group3Size> group3 {};
        std::array<uint8_t, group4Size> group4 {};
        std::array<uint8_t, group6Size> group6 {};
        std::array<uint8_t, group7Size> group7 {};
        std::array<uint8_t, pedalCount> pedals {};
        uint8_t volume = 0;
        uint8_t pan = 0;
        uint8_t chorusSend = 0;
        uint8_t reverbSend = 0;

        void setName (const std::string& bytes);
        std::string getName() const; // the bytes before the first NUL

        bool operator== (const Part& other) const;
        bool operator!= (const Part& other) const { return ! (*this == other); }
    };

    struct Identity
    {
        bool answers = true;
        uint8_t deviceId = 0x00;
        uint8_t manufacturer = 0x7D;
        uint8_t familyLow = 0x00;
        uint8_t familyHigh = 0x1C;
        uint8_t memberLow = 0x20;
        uint8_t memberHigh = 0x00;
        uint8_t major = 1;
        uint8_t minor = 4;
        uint8_t revision = 0;
        uint8_t flags = 0x48;
    };

    enum class PingMode
    {
        answerAll,
        answerNone,
        answerFirstN,
        badChecksum
    };

    SimulatedInstrument (VirtualMidiPorts& ports, const juce::String& inputName, const juce::String& outputName);
    ~SimulatedInstrument();

    void setIdentity (const Identity& identity);
    // answerFirstN answers the first answeredPings pings after this call.
    void setPingMode (PingMode mode, int answeredPings = 0);
    void setLayerMode (uint8_t mode);
    void setNames (uint8_t bank, const std::vector<std::string>& names);
    void setPart (int part, const Part& contents);
    Part getPart (int part) const;

    // Delivers bytes to the editor as one message, exactly as given.
    void injectBytes (const std::vector<uint8_t>& bytes);
    void inject (const juce::MidiMessage& message);

    int getPingRequestCount() const;
    int getIdentityRequestCount() const;
    int getDumpStartCount (uint8_t flag) const;
    uint8_t getBank (int channel) const;
    uint8_t getProgram (int channel) const;

    // Everything received that the instrument could not take: malformed frames,
    // bytes of 0x80 or above inside a SysEx, unknown commands, short commands.
    juce::StringArray getProblems() const;

    // Frame helpers of the instrument's own, for tests that build replies by hand.
    static uint8_t checksum (const uint8_t* data, size_t size);
    static std::vector<uint8_t> frame (uint8_t command, const std::vector<uint8_t>& payload);
    static std::vector<uint8_t> encodeName (const uint8_t* bytes, size_t count);

    // The group 3 parameters, after the type, the on flag and parameter 2, that
    // describe an effect of each type. Type 6 lists what both readings of its
    // block share: parameters 3 to 9.
    static std::vector<int> group3ParamsOfType (int type);

    // The whole-part transmission that answers a part-data request.
    std::vector<juce::MidiMessage> partDump (int part) const;

private:
    struct NrpnSelection
    {
        int group = -1;
        int param = -1;
    };

    void received (const juce::String& outputName, const juce::MidiMessage& message);
    void receivedSysEx (const uint8_t* data, int size, std::vector<juce::MidiMessage>& replies);
    void receivedEditorCommand (const uint8_t* data, int size, std::vector<juce::MidiMessage>& replies);
    void receivedController (int channel, int controller, int value);
    void receivedNrpnValue (int channel, int value);
    void problem (const juce::String& text);
    void send (std::vector<juce::MidiMessage>& replies, const std::vector<uint8_t>& bytes) const;
    std::vector<juce::MidiMessage> partDumpLocked (int part) const;
    Part* partForChannel (int channel);

    VirtualMidiPorts& ports;
    const juce::String inputName;
    const juce::String outputName;

    mutable juce::CriticalSection lock;
    Identity identity;
    PingMode pingMode = PingMode::answerAll;
    int answeredPingLimit = 0;
    int pingsBeforeMode = 0;
    int pingRequests = 0;
    int identityRequests = 0;
    std::array<int, 2> dumpStarts {};
    uint8_t layerMode = 0;
    std::map<uint8_t, std::vector<std::string>> names;
    std::array<Part, 2> parts;
    std::array<NrpnSelection, channelCount> selections;
    std::array<uint8_t, channelCount> banks {};
    std::array<uint8_t, channelCount> programs {};
    juce::StringArray problems;
};
