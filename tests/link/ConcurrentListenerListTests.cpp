#include "link/ConcurrentListenerList.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

namespace
{
struct Listener
{
    std::function<void()> onCall;
    std::atomic<int> calls { 0 };

    void call()
    {
        ++calls;

        if (onCall)
            onCall();
    }
};

struct NeverBailOut
{
    bool shouldBailOut() const { return false; }
};

using List = ConcurrentListenerList<Listener>;

void walk (List& list)
{
    list.callChecked (NeverBailOut(), [] (Listener& l)
                      { l.call(); });
}

// Long enough for a thread that is not held back to get through a call.
constexpr int overtakeMs = 200;
constexpr int deadlineMs = 5000;

template<typename Condition>
bool becomesTrue (Condition&& condition, int timeoutMs)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;

    while (! condition())
    {
        if (juce::Time::getMillisecondCounter() > end)
            return false;

        std::this_thread::yield();
    }

    return true;
}
} // namespace

TEST (ConcurrentListenerList, ChangesMadeDuringAWalkTakeEffectAsJuceListsDo)
{
    List list;
    Listener first, second, third, added;
    int order = 0;
    int firstAt = 0, secondAt = 0, thirdAt = 0;

    // Registered first, second, third: called third, second, first.
    first.onCall = [&]
    { firstAt = ++order; };
    second.onCall = [&]
    {
        secondAt = ++order;
        list.remove (&first);
        list.add (&added);
    };
    third.onCall = [&]
    { thirdAt = ++order; };

    list.add (&first);
    list.add (&second);
    list.add (&third);
    list.add (&third);
    list.add (nullptr);
    walk (list);

    EXPECT_EQ (thirdAt, 1);
    EXPECT_EQ (secondAt, 2);
    EXPECT_EQ (first.calls, 0) << "removed before its turn";
    EXPECT_EQ (added.calls, 0) << "added during the walk";
    EXPECT_EQ (third.calls, 1) << "registered once";

    walk (list);
    EXPECT_EQ (added.calls, 1);
    EXPECT_FALSE (list.contains (&first));
}

TEST (ConcurrentListenerList, AListenerRemovedAndAddedAgainDuringAWalkWaitsForTheNext)
{
    List list;
    Listener cycled, cycling;
    cycling.onCall = [&]
    {
        list.remove (&cycled);
        list.add (&cycled);
    };

    list.add (&cycled);
    list.add (&cycling);
    walk (list);

    EXPECT_EQ (cycled.calls, 0);
}

TEST (ConcurrentListenerList, TheWalkEndsWhenTheCheckerBailsOut)
{
    struct OwnerGone
    {
        const bool& gone;
        bool shouldBailOut() const { return gone; }
    };

    auto list = std::make_unique<List>();
    bool gone = false;
    Listener first, deleting;
    deleting.onCall = [&]
    {
        list.reset();
        gone = true;
    };

    list->add (&first);
    list->add (&deleting);
    list->callChecked (OwnerGone { gone }, [] (Listener& l)
                       { l.call(); });

    EXPECT_EQ (deleting.calls, 1);
    EXPECT_EQ (first.calls, 0);
}

TEST (ConcurrentListenerList, RemovingWaitsForACallOnAnotherThreadAndNoCallFollows)
{
    List list;
    Listener busy;
    std::atomic<bool> inCall { false }, removed { false }, calledAfterRemoval { false };
    juce::WaitableEvent releaseCall;

    busy.onCall = [&]
    {
        if (removed)
            calledAfterRemoval = true;

        inCall = true;
        releaseCall.wait (deadlineMs);
        inCall = false;
    };
    list.add (&busy);

    std::thread caller ([&]
                        { walk (list); });

    EXPECT_TRUE (becomesTrue ([&]
                              { return inCall.load(); },
                              deadlineMs));

    std::thread remover ([&]
                         {
                             list.remove (&busy);
                             removed = true; });

    // Off the list, the listener is still in its call: the remover is inside
    // remove(), held back for as long as the call lasts.
    EXPECT_TRUE (becomesTrue ([&]
                              { return ! list.contains (&busy); },
                              deadlineMs));
    EXPECT_FALSE (becomesTrue ([&]
                               { return removed.load(); },
                               overtakeMs));
    releaseCall.signal();
    remover.join();
    caller.join();

    EXPECT_TRUE (removed);
    walk (list);
    EXPECT_EQ (busy.calls, 1);
    EXPECT_FALSE (calledAfterRemoval);
}

TEST (ConcurrentListenerList, AListenerRemovingItselfDoesNotWaitForItsOwnCall)
{
    List list;
    Listener self;
    self.onCall = [&]
    { list.remove (&self); };

    list.add (&self);
    walk (list);
    walk (list);

    EXPECT_EQ (self.calls, 1);
}
