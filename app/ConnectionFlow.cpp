#include "app/ConnectionFlow.h"

void ConnectionFlow::startSearch()
{
    state = State::searching;
    waitingSelection = 0;
}

bool ConnectionFlow::takeResult (bool found)
{
    if (state != State::searching)
        return false;

    state = found ? State::connected : State::failed;

    if (found)
        forgetPartNamesAsked();

    return true;
}

void ConnectionFlow::loseConnection()
{
    state = State::lost;
}

void ConnectionFlow::end()
{
    state = State::idle;
    waitingSelection = 0;
}

ConnectionFlow::ButtonFollowUp ConnectionFlow::pressBoxButton()
{
    switch (state)
    {
        case State::searching:
        case State::failed:
            end();
            return ButtonFollowUp::stopSearch;
        case State::lost:
            // A lost link has already stopped itself.
            end();
            return ButtonFollowUp::acknowledgeLoss;
        case State::idle:
        case State::connected:
            break;
    }

    return ButtonFollowUp::none;
}

int ConnectionFlow::openBox (int type)
{
    boxType = type;
    return ++boxSerial;
}

void ConnectionFlow::closeBox()
{
    boxType = 0;
}

void ConnectionFlow::forgetPartNamesAsked()
{
    for (auto& asked : partNamesAsked)
        asked = 0;
}

void ConnectionFlow::askPartName (int part)
{
    ++partNamesAsked[(std::size_t) part];
}

bool ConnectionFlow::takePartNameReply (int part)
{
    auto& count = partNamesAsked[(std::size_t) part];
    auto value = count.load();

    while (value > 0)
        if (count.compare_exchange_weak (value, value - 1))
            return true;

    return false;
}

bool ConnectionFlow::isPartNameAsked (int part) const
{
    return partNamesAsked[(std::size_t) part] != 0;
}
