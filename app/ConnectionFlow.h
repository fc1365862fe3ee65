#pragma once

#include "link/VelmorWire.h"

#include <array>
#include <atomic>
#include <cstddef>

// The connection as the panel sees it, with the box that shows it and what
// the panel still waits for from the instrument. The toggle and the box show
// the state:
//
//   state      toggle  box                      event                       next
//   idle       off     none                     toggle switched on          searching
//   searching  on      searching text           CONNECT_OK                  connected
//                                               codes 1 to 4                failed
//                                               the box's button (CANCEL)   idle, search stopped
//   failed     off     searching, not-found     the box's button (CANCEL)   idle
//                      or out-of-date text
//   connected  on      none                     toggle switched off         idle, all cleared
//                                               ping time-out               lost
//   lost       on      connection-lost text     the box's button (OK)       idle
//
// The box's button carries the state's follow-up, so a file-error box that
// replaces the searching or lost box takes that follow-up over.
//
// Used on the message thread; the part names asked for are counted on
// "MidiProcessing" too.
class ConnectionFlow
{
public:
    enum class State
    {
        idle,
        searching,
        failed,
        connected,
        lost
    };

    // What the box's button leaves to the panel besides going idle.
    enum class ButtonFollowUp
    {
        none,
        stopSearch,
        acknowledgeLoss
    };

    State getState() const { return state; }

    // The toggle switched on.
    void startSearch();
    // A result counts only while searching; false leaves the state as it was.
    bool takeResult (bool found);
    // The ping time-out.
    void loseConnection();
    // The toggle switched off, or the box's button of a state it ends.
    void end();
    // The button of whichever box is shown.
    ButtonFollowUp pressBoxButton();

    // The one box. Each box has a serial of its own, so that the answer of a
    // box that was replaced meanwhile is told apart.
    int openBox (int type);
    void closeBox();
    bool isBox (int serial) const { return serial == boxSerial; }
    // The type of the open box, 0 for none.
    int getBoxType() const { return boxType; }

    // Part-name requests not yet answered, per part. A count never goes below
    // zero, even when a new connection's reset meets a request under way.
    void forgetPartNamesAsked();
    void askPartName (int part);
    bool takePartNameReply (int part);
    bool isPartNameAsked (int part) const;

    // The list entry to select once it arrives; 0 for none.
    int getWaitingSelection() const { return waitingSelection; }
    void setWaitingSelection (int id) { waitingSelection = id; }

private:
    State state = State::idle;
    int boxSerial = 0;
    int boxType = 0;
    std::array<std::atomic<int>, VelmorWire::partCount> partNamesAsked {};
    int waitingSelection = 0;
};
