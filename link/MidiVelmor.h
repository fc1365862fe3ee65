#pragma once

#include "link/ConcurrentListenerList.h"
#include "link/MicroPerformance.h"
#include "link/Midi.h"
#include "link/TypeMessage.h"
#include "link/VelmorWire.h"

#include <atomic>

// The instrument's protocol on top of the connection manager: the editor SysEx
// frame, the identity and ping checks, the commands sent to the instrument, the
// decoding of its replies into the one microperformance record, and the
// notifications to the editor panel.
//
// Threads. The panel calls every operation on the message thread, and may
// call the requests (getPartMicroPName, getLayerMode and the like) from
// inside onGetLayerMode and onGetChangeMode, which run on "MidiProcessing".
// The record and the request state are shared by those two threads: whoever
// reads or writes microP in place holds getRecordLock(). Listeners may be
// added, removed and called on both threads at once.
//
// Listener calls: onConnectionLost comes on the message thread,
// onGetLayerMode, onGetChangeMode and onGetMicroPName on "MidiProcessing";
// everything else is posted to messageListener and arrives on the message
// thread. No lock of the link is held while a listener is called, a message
// is sent or one is posted, so a listener may call the link back, add or
// remove listeners, and even delete the link: the walk then stops, and
// nothing of the link is touched after that call. A listener called on
// "MidiProcessing" must not wait for the message thread, which may be
// waiting in removeListener for that very call to end.
//
// Destruction, with or without disconnect() first, unregisters the input and
// stops the timers and "MidiProcessing" before any member goes. On the message
// thread it waits for a call under way on "MidiProcessing" to end; from a
// call on "MidiProcessing" it waits for the message thread to be between two
// of its messages, so the message thread must not be waiting for it then.
//
// The command codes, the NRPN groups and CC_CHANGE_MODE are the wire's, and
// reach callers under the protocol class's name.
class MidiVelmor : public Midi,
                   public VelmorWire::Codes
{
public:
    // What onException reports; the link defines no value and reports none.
    enum Exception
    {
    };

    static constexpr unsigned char none = 0xFF;

    // The first two numbers of the instrument software's version, as its
    // identity reply carries them.
    struct SoftwareVersion
    {
        int major;
        int minor;
    };
    // The oldest software that checkSoftwareVersion accepts; the third number
    // of a version is never checked.
    static constexpr SoftwareVersion oldestAcceptedSoftware { 1, 4 };

    class Listener
    {
    public:
        virtual ~Listener() = default;

        virtual void onConnect (MidiVelmor* sender, int result) = 0;
        virtual void onConnectionLost (MidiVelmor* sender) = 0;
        virtual void onSoundChanged (MidiVelmor* sender, unsigned char channel, unsigned char bank, unsigned char program) = 0;
        virtual void onGetLayerMode (MidiVelmor* sender, unsigned char mode) = 0;
        virtual void onGetChangeMode (MidiVelmor* sender, unsigned char mode) = 0;
        virtual void onGetMicroPNameList (MidiVelmor* sender, unsigned char bank, unsigned char count, const juce::StringArray& names) = 0;
        virtual void onGetMicroPName (MidiVelmor* sender, unsigned char bank, unsigned char index, const juce::String& name) = 0;
        virtual void onGetPartMicroPName (MidiVelmor* sender, unsigned char part, unsigned char bank, unsigned char number, const juce::String& name) = 0;
        virtual void onGetPartParameters (MidiVelmor* sender, unsigned char part, unsigned char iconId, unsigned char templateId) = 0;
        virtual void onGetMicroPData (MidiVelmor* sender, unsigned char part, unsigned char bank, const ST_MICROPERFORMANCE* microPerformance) = 0;
        virtual void onParamChanged (MidiVelmor* sender, unsigned char part, unsigned char param, unsigned char value) = 0;
        virtual void onPianoFineTuningChanged (MidiVelmor* sender, unsigned char key, unsigned char value) = 0;
        virtual void onException (MidiVelmor* sender, MidiVelmor::Exception exception) = 0;
    };

    MidiVelmor (const juce::String& logFile, unsigned char logMask, std::unique_ptr<MidiPorts> midiPorts = {});
    ~MidiVelmor() override;

    // Target of every posted TypeMessage; set once by the panel.
    juce::MessageListener* messageListener = nullptr;
    // Read or write in place only while holding getRecordLock().
    ST_MICROPERFORMANCE microP;
    // Channel (0-based) whose notes, NRPN and part controllers are taken; none = 0xFF.
    std::atomic<unsigned char> editChannel { none };

    const juce::CriticalSection& getRecordLock() const noexcept { return recordLock; }
    ST_MICROPERFORMANCE getMicroPCopy() const;
    void clearMicroP();

    unsigned char getPendingReply() const;
    unsigned char getCurrentBank() const;
    unsigned char getCurrentProgram() const;
    juce::String getLastName() const;

    // Null and a listener already registered are ignored.
    void addListener (Listener* listener);
    // Returns once no other thread is inside a call to the listener, which
    // is called no more and may then be deleted.
    void removeListener (Listener* listener);

    void setSound (unsigned char channel, unsigned char bank, unsigned char program);

    void setPartParam (unsigned char part, unsigned char param, unsigned char value);
    // The record is one, whatever the part: these store even while no part
    // is edited; only the senders need a part.
    void setPartMicroPName (unsigned char part, juce::String name);
    void setPartMicroPIcon (unsigned char part, unsigned char iconId);
    void setPartMicroPTemplate (unsigned char part, unsigned char templateId);

    void sendPartNRPN (unsigned char part, unsigned char group, unsigned char param, unsigned char value);
    void sendPartCC (unsigned char part, unsigned char controller, unsigned char value);
    void sendPartParam (unsigned char part, unsigned char param);
    void sendPartMicroPName (unsigned char part);
    void sendPartParameters (unsigned char part);
    void sendPartPedals (unsigned char part);
    void sendDumpStart (unsigned char flag);
    bool sendPartTrackParam (unsigned char part, unsigned char gen, unsigned char param, unsigned char flag, unsigned char length, unsigned char start);
    void sendPartAll (unsigned char part);

    bool getLayerMode();
    bool getMicroPNameList (unsigned char bank, unsigned char index);
    bool getPartMicroPName (unsigned char part);
    bool getPartMicroPData (unsigned char part);

    juce::MidiMessage createSysEx (unsigned char command, const unsigned char* payload, int length);
    static juce::String getSysExString (const unsigned char* text, int count);
    // True when every NRPN block parameter that sendPartAll sends as a number,
    // not as an on flag, holds 0..127: the record can go on the wire unaltered.
    static bool hasSevenBitNrpnBlockValues (const ST_MICROPERFORMANCE& record);

    // The connection manager's hooks, open to tests and the fuzzer.
    void onSearchResult (int result, int search) override;
    void onDisconnect() override;
    juce::MidiMessage createPingRequest() override;
    bool checkPingReply (const juce::MidiMessage& message) override;
    bool checkIdentifyReply (const juce::MidiMessage& message) override;
    bool checkSoftwareVersion (const juce::MidiMessage& message) override;
    void decode (const juce::MidiMessage& message) override;

private:
    // Where one NRPN parameter lives in the record: in a byte, in an on-flag
    // byte, in an int32, or nowhere (taken without being stored).
    struct NrpnField
    {
        unsigned char* byte = nullptr;
        unsigned char* flag = nullptr;
        std::int32_t* value = nullptr;
        bool valueIsFlag = false;
    };

    static bool findNrpnField (ST_MICROPERFORMANCE& record, int group, int param, NrpnField& field);
    static juce::Array<int> block3ParamsToSend (std::int32_t type);
    // Calls visit (group, param, field) for each NRPN block parameter in the order sendPartAll sends them.
    template<typename Visit>
    static void forEachNrpnBlockParamSent (ST_MICROPERFORMANCE& record, Visit&& visit);

    void decodeSysEx (const juce::MidiMessage& message);
    // The editor commands' decoders: decodeSysEx hands each a payload that
    // holds every byte it reads.
    void decodeNack (const unsigned char* payload);
    void decodeTrackParameter (const unsigned char* payload);
    void decodeMicroPName (const unsigned char* payload);
    void decodePartMicroPName (const unsigned char* payload);
    void decodeLayerMode (const unsigned char* payload);
    void decodePartParameters (const unsigned char* payload);
    void decodePartPedals (const unsigned char* payload);
    void decodeController (int channel, int controller, int value);
    void decodeNrpnEntry (int value);

    bool isConnected() const;
    bool isPartParam (unsigned char param);
    void sendPartMicroPName (const ST_MICROPERFORMANCE& record, unsigned char part);
    void sendPartParameters (const ST_MICROPERFORMANCE& record, unsigned char part);
    void sendPartPedals (const ST_MICROPERFORMANCE& record, unsigned char part);
    bool sendPartTrackParam (const ST_MICROPERFORMANCE& record, unsigned char part, unsigned char gen, unsigned char param, unsigned char flag, unsigned char length, unsigned char start);
    void sendPartNRPNBlocks (const ST_MICROPERFORMANCE& record, unsigned char part);

    void post (TypeMessage* message);
    template<typename Callback>
    void callListeners (Callback&& callback);

    void sendOnConnect (int result, int search);
    void sendOnConnectionLost();
    void sendOnSoundChanged (unsigned char channel, unsigned char bank, unsigned char program);
    void sendOnGetPartMicroPName (unsigned char part, unsigned char bank, unsigned char number, const juce::String& name);
    void sendOnParamChanged (unsigned char param, unsigned char value);
    void sendOnGetPartParameters (unsigned char part, unsigned char iconId, unsigned char templateId);
    void sendOnNote (unsigned char note, unsigned char on);
    void sendOnGetLayerMode (unsigned char mode);
    void sendOnGetChangeMode (unsigned char mode);
    void sendOnGetMicroPName (unsigned char bank, unsigned char index, const juce::String& name);

    juce::CriticalSection recordLock;
    ConcurrentListenerList<Listener> listeners;
    unsigned char pendingReply = none;
    // Outside every group until the instrument selects one, so that a data
    // entry without a selection is logged as out of range.
    unsigned char nrpnGroup = 0x7F;
    unsigned char nrpnParam = 0x7F;
    unsigned char currentBank = none;
    unsigned char currentProgram = none;
    juce::String lastName;

    JUCE_DECLARE_NON_COPYABLE (MidiVelmor)
};
