#pragma once

#include <juce_core/juce_core.h>

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

// A list of listeners that several threads may change and call at once. It
// holds no lock while it calls a listener, so a listener may add or remove
// listeners, or delete the owner of the list, from inside its call.
//
// Calls go last-registered first. A walk calls each listener that was
// registered when the walk began and still is when its turn comes; one added
// during a walk waits for the next. remove() returns only when no other
// thread is inside a call to that listener, so the listener may be deleted
// then; a call under way on the removing thread itself (a listener removing
// itself) finishes as usual. A listener called on one thread must therefore
// not wait for a thread that may be removing it.
template<class ListenerClass>
class ConcurrentListenerList
{
public:
    ConcurrentListenerList() = default;

    ~ConcurrentListenerList()
    {
        // Only a call on the deleting thread may still be under way: the one
        // in which a listener deletes the owner.
        jassert (std::all_of (calls.begin(), calls.end(), [] (const Call& call)
                              { return call.thread == std::this_thread::get_id(); }));
    }

    // Null and a listener already registered are ignored.
    void add (ListenerClass* listener)
    {
        if (listener == nullptr)
            return;

        const std::lock_guard<std::mutex> guard (mutex);

        if (std::none_of (entries.begin(), entries.end(), [listener] (const Entry& e)
                          { return e.listener == listener; }))
            entries.push_back ({ listener, ++lastRegistration });
    }

    void remove (ListenerClass* listener)
    {
        std::unique_lock<std::mutex> guard (mutex);
        entries.erase (std::remove_if (entries.begin(), entries.end(), [listener] (const Entry& e)
                                       { return e.listener == listener; }),
                       entries.end());

        const auto self = std::this_thread::get_id();
        callEnded.wait (guard, [this, listener, self]
                        { return std::none_of (calls.begin(), calls.end(), [listener, self] (const Call& call)
                                               { return call.listener == listener && call.thread != self; }); });
    }

    bool contains (ListenerClass* listener) const
    {
        const std::lock_guard<std::mutex> guard (mutex);
        return std::any_of (entries.begin(), entries.end(), [listener] (const Entry& e)
                            { return e.listener == listener; });
    }

    // The checker bails out when the list's owner is gone; the walk then ends
    // at once and touches nothing of the list.
    template<typename BailOutCheckerType, typename Callback>
    void callChecked (const BailOutCheckerType& checker, Callback&& callback)
    {
        const auto walk = registered();
        const auto self = std::this_thread::get_id();

        for (auto entry = walk.rbegin(); entry != walk.rend(); ++entry)
        {
            if (checker.shouldBailOut())
                return;

            {
                const std::lock_guard<std::mutex> guard (mutex);

                if (std::find (entries.begin(), entries.end(), *entry) == entries.end())
                    continue;

                calls.push_back ({ entry->listener, self });
            }

            callback (*entry->listener);

            if (checker.shouldBailOut())
                return;

            {
                const std::lock_guard<std::mutex> guard (mutex);
                calls.erase (std::find (calls.begin(), calls.end(), Call { entry->listener, self }));
            }

            callEnded.notify_all();
        }
    }

private:
    // A registration: the same listener removed and added again is a new one.
    struct Entry
    {
        ListenerClass* listener;
        std::uint64_t registration;

        bool operator== (const Entry& other) const { return listener == other.listener && registration == other.registration; }
    };

    std::vector<Entry> registered() const
    {
        const std::lock_guard<std::mutex> guard (mutex);
        return entries;
    }

    struct Call
    {
        ListenerClass* listener;
        std::thread::id thread;

        bool operator== (const Call& other) const { return listener == other.listener && thread == other.thread; }
    };

    mutable std::mutex mutex;
    std::condition_variable callEnded;
    std::vector<Entry> entries;
    std::vector<Call> calls;
    std::uint64_t lastRegistration = 0;

    JUCE_DECLARE_NON_COPYABLE (ConcurrentListenerList)
};
