#include <gtest/gtest.h>

#include "app/ConnectionFlow.h"

namespace
{
using State = ConnectionFlow::State;
using FollowUp = ConnectionFlow::ButtonFollowUp;

enum class Event
{
    switchOn,
    found,
    notFound,
    pingTimeOut,
    switchOff,
    boxButton
};

const char* nameOf (State state)
{
    switch (state)
    {
        case State::idle:
            return "idle";
        case State::searching:
            return "searching";
        case State::failed:
            return "failed";
        case State::connected:
            return "connected";
        case State::lost:
            return "lost";
    }

    return "?";
}

// Drives a new flow into a state along the table's own rows.
void driveInto (ConnectionFlow& flow, State state)
{
    if (state == State::idle)
        return;

    flow.startSearch();

    if (state == State::failed)
        flow.takeResult (false);
    else if (state == State::connected || state == State::lost)
        flow.takeResult (true);

    if (state == State::lost)
        flow.loseConnection();
}
} // namespace

TEST (ConnectionFlow, EachEventLeadsWhereTheStateTableSays)
{
    struct Case
    {
        State from;
        Event event;
        State to;
        bool taken; // for a result: whether it counted
        FollowUp followUp;
    };

    const Case cases[] = {
        { State::idle, Event::switchOn, State::searching, true, FollowUp::none },
        { State::searching, Event::found, State::connected, true, FollowUp::none },
        { State::searching, Event::notFound, State::failed, true, FollowUp::none },
        { State::searching, Event::boxButton, State::idle, true, FollowUp::stopSearch },
        { State::failed, Event::boxButton, State::idle, true, FollowUp::stopSearch },
        { State::connected, Event::switchOff, State::idle, true, FollowUp::none },
        { State::connected, Event::pingTimeOut, State::lost, true, FollowUp::none },
        { State::lost, Event::boxButton, State::idle, true, FollowUp::acknowledgeLoss },
        // Results that no search waits for, and buttons of boxes that end nothing.
        { State::idle, Event::found, State::idle, false, FollowUp::none },
        { State::failed, Event::found, State::failed, false, FollowUp::none },
        { State::connected, Event::notFound, State::connected, false, FollowUp::none },
        { State::lost, Event::found, State::lost, false, FollowUp::none },
        { State::idle, Event::boxButton, State::idle, true, FollowUp::none },
        { State::connected, Event::boxButton, State::connected, true, FollowUp::none },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (std::string (nameOf (c.from)) + ", event " + std::to_string ((int) c.event));
        ConnectionFlow flow;
        driveInto (flow, c.from);
        ASSERT_EQ (flow.getState(), c.from);

        bool taken = true;
        auto followUp = FollowUp::none;

        switch (c.event)
        {
            case Event::switchOn:
                flow.startSearch();
                break;
            case Event::found:
                taken = flow.takeResult (true);
                break;
            case Event::notFound:
                taken = flow.takeResult (false);
                break;
            case Event::pingTimeOut:
                flow.loseConnection();
                break;
            case Event::switchOff:
                flow.end();
                break;
            case Event::boxButton:
                followUp = flow.pressBoxButton();
                break;
        }

        EXPECT_EQ (nameOf (flow.getState()), std::string (nameOf (c.to)));
        EXPECT_EQ (taken, c.taken);
        EXPECT_EQ (followUp, c.followUp);
    }
}

TEST (ConnectionFlow, TheWaitingSelectionGoesWhenASearchStartsOrTheConnectionEnds)
{
    struct Case
    {
        const char* event;
        void (*happen) (ConnectionFlow&);
    };

    const Case cases[] = {
        { "a new search", [] (ConnectionFlow& f)
          { f.startSearch(); } },
        { "the toggle switched off", [] (ConnectionFlow& f)
          { f.end(); } },
        { "CANCEL", [] (ConnectionFlow& f)
          { f.pressBoxButton(); } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.event);
        ConnectionFlow flow;
        driveInto (flow, State::searching);
        flow.setWaitingSelection (6);
        c.happen (flow);
        EXPECT_EQ (flow.getWaitingSelection(), 0);
    }
}

TEST (ConnectionFlow, OnlyTheLastBoxOpenedIsTheBoxShown)
{
    ConnectionFlow flow;
    const auto searching = flow.openBox (1);
    EXPECT_EQ (flow.getBoxType(), 1);

    const auto fileError = flow.openBox (3);
    EXPECT_FALSE (flow.isBox (searching));
    EXPECT_TRUE (flow.isBox (fileError));
    EXPECT_EQ (flow.getBoxType(), 3);

    flow.closeBox();
    EXPECT_EQ (flow.getBoxType(), 0);
}

TEST (ConnectionFlow, APartNameReplyCountsOnlyAgainstARequestStillOpen)
{
    ConnectionFlow flow;
    flow.askPartName (1);
    flow.askPartName (1);
    EXPECT_TRUE (flow.isPartNameAsked (1));
    EXPECT_FALSE (flow.isPartNameAsked (0));
    EXPECT_FALSE (flow.takePartNameReply (0));

    EXPECT_TRUE (flow.takePartNameReply (1));
    EXPECT_TRUE (flow.takePartNameReply (1));
    EXPECT_FALSE (flow.takePartNameReply (1));

    // A new connection forgets what the last one asked; a reply still under
    // way then finds nothing to take, and the count stays at zero.
    flow.askPartName (0);
    flow.startSearch();
    flow.takeResult (true);
    EXPECT_FALSE (flow.takePartNameReply (0));
    flow.askPartName (0);
    EXPECT_TRUE (flow.takePartNameReply (0));
    EXPECT_FALSE (flow.isPartNameAsked (0));
}
