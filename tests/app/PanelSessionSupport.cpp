#include "tests/app/PanelSessionSupport.h"

#include "controls/MenuAreaPopup.h"

#include <cstring>

namespace
{
// Further apart than any double-click time.
constexpr juce::int64 pressSpacingMs = 10000;
constexpr juce::int64 stepMs = 20;
// A popup takes no release until it has been open this long.
constexpr int popupReleaseGuardMs = 300;
constexpr uint8_t noIconOnWire = 0x7F;

void sendTo (juce::Component& window, juce::Point<int> screenPosition, juce::ModifierKeys mods, juce::int64 time, bool movePointer = false)
{
    if (movePointer)
        juce::Desktop::setMousePosition (screenPosition);

    juce::ModifierKeys::currentModifiers = mods;
    auto* peer = window.getPeer();
    ASSERT_NE (peer, nullptr);
    peer->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse,
                            peer->globalToLocal (screenPosition.toFloat()),
                            mods,
                            juce::MouseInputSource::defaultPressure,
                            juce::MouseInputSource::defaultOrientation,
                            time);
}

juce::Component* openPopup()
{
    juce::Component* found = nullptr;
    auto& desktop = juce::Desktop::getInstance();

    for (int i = 0; i < desktop.getNumComponents(); ++i)
    {
        if (auto* c = desktop.getComponent (i); c->getName() == "menu" && c->isVisible())
        {
            if (found != nullptr)
                return nullptr;

            found = c;
        }
    }

    return found;
}

// The real pointer waits where no window of the test lies, so that the display
// server sends no pointer events of its own between the test's.
void parkPointer()
{
    const auto* display = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay();
    ASSERT_NE (display, nullptr);
    juce::Desktop::setMousePosition (display->totalArea.getBottomRight() - juce::Point<int> (1, 1));
}

} // namespace

void closeSplashScreens()
{
    for (int i = juce::Desktop::getInstance().getNumComponents(); --i >= 0;)
        if (auto* splash = dynamic_cast<juce::SplashScreen*> (juce::Desktop::getInstance().getComponent (i)))
            delete splash;
}

void settle()
{
    // Asynchronous notifications are delivered as posted messages, in order:
    // one posted now arrives after every one that is already waiting.
    bool reached = false;
    juce::MessageManager::callAsync ([&reached]
                                     { reached = true; });
    EXPECT_TRUE (PanelHarness::pumpUntil ([&reached]
                                          { return reached; }));
}

//==============================================================================
PanelMouse::PanelMouse (juce::Component& p)
    : panel (p),
      time (juce::Time::currentTimeMillis())
{
    parkPointer();
}

juce::ModifierKeys PanelMouse::held (juce::ModifierKeys buttons) const
{
    return shift ? buttons.withFlags (juce::ModifierKeys::shiftModifier) : buttons;
}

void PanelMouse::send (juce::Point<int> position, juce::ModifierKeys buttons)
{
    sendTo (panel, panel.localPointToGlobal (position), held (buttons), time);
}

void PanelMouse::move (juce::Point<int> position)
{
    time += stepMs;
    send (position, {});
}

void PanelMouse::press (juce::Point<int> position)
{
    time += pressSpacingMs;
    send (position, {});
    send (position, juce::ModifierKeys::leftButtonModifier);
}

void PanelMouse::drag (juce::Point<int> position)
{
    time += stepMs;
    send (position, juce::ModifierKeys::leftButtonModifier);
}

void PanelMouse::release (juce::Point<int> position)
{
    time += stepMs;
    send (position, {});
    // Gestures lie apart in time: what a gesture set off runs before the next.
    settle();
}

void PanelMouse::click (juce::Point<int> position)
{
    press (position);
    release (position);
}

void PanelMouse::click (juce::Component& control)
{
    click (panel.getLocalArea (control.getParentComponent(), control.getBounds()).getCentre());
}

void PanelMouse::setShift (bool down)
{
    shift = down;
    juce::ModifierKeys::currentModifiers = held (juce::ModifierKeys::currentModifiers.withoutFlags (juce::ModifierKeys::shiftModifier));
    panel.getPeer()->handleModifierKeysChange();
}

bool PanelMouse::chooseInPopup (int index)
{
    if (! clickInPopup (index))
        return false;

    const auto closed = PanelHarness::pumpUntil ([]
                                                 { return openPopup() == nullptr; });
    settle();
    return closed;
}

bool PanelMouse::clickInPopup (int index)
{
    if (! PanelHarness::pumpUntil ([]
                                   { return openPopup() != nullptr; }))
        return false;

    PanelHarness::pump (popupReleaseGuardMs);
    auto* popup = openPopup();

    if (popup == nullptr)
        return false;

    juce::Rectangle<int> item;

    if (auto* areaPopup = dynamic_cast<MenuAreaPopup*> (popup))
        item = areaPopup->getItemBounds (index) + areaPopup->getScreenPosition();
    else if (auto* child = popup->getChildComponent (index))
        item = child->getScreenBounds();
    else
        return false;

    const auto time = juce::Time::currentTimeMillis();
    sendTo (*popup, item.getCentre(), {}, time, true);
    sendTo (*popup, item.getCentre(), juce::ModifierKeys::leftButtonModifier, time + stepMs, true);
    sendTo (*popup, item.getCentre(), {}, time + 2 * stepMs, true);
    parkPointer();
    return true;
}

//==============================================================================
void ConnectedPanel::SetUp()
{
    harness.build();
    closeSplashScreens();
    parkPointer();
    harness.showOnDesktop();
    panel().grabKeyboardFocus();
    ASSERT_TRUE (PanelHarness::pumpUntil ([]
                                          { return juce::Process::isForegroundProcess(); }));
    pointer = std::make_unique<PanelMouse> (panel());

    // The start-up notifications run before anything is connected.
    PanelHarness::pump (50);

    auto& midi = c().midi;
    ASSERT_TRUE (harness.connectLink());

    c().currentPart = 0;
    midi.editChannel = 0;
    midi.sendPartAll (0);
    takeWire();
}

void ConnectedPanel::TearDown()
{
    juce::PopupMenu::dismissAllActiveMenus();
    MenuAreaPopup::dismissAll();
    PanelHarness::pump (20);
    EXPECT_TRUE (harness.instrument().getProblems().isEmpty()) << harness.instrument().getProblems().joinIntoString ("\n");
}

Wire ConnectedPanel::takeWire()
{
    Wire result;

    for (const auto& message : harness.sentWithoutPings())
        result.push_back (hexOf ({ message.getRawData(), message.getRawData() + message.getRawDataSize() }));

    harness.getPorts().clearSentMessages();
    return result;
}

Wire ConnectedPanel::settleAndTakeWire()
{
    settle();
    return takeWire();
}

void ConnectedPanel::expectInstrumentHoldsTheRecord()
{
    const auto record = c().midi.getMicroPCopy();
    const auto held = harness.instrument().getPart (0);

    EXPECT_EQ (std::memcmp (held.name.data(), record.name, sizeof (record.name)), 0);
    EXPECT_EQ (held.iconId, record.iconId == 0xFF ? noIconOnWire : record.iconId);
    EXPECT_EQ (held.templateId, record.templateId);

    for (size_t i = 0; i < held.params.size(); ++i)
        EXPECT_EQ (held.params[i], record.params[i]) << "part parameter " << i;

    for (size_t t = 0; t < held.tracks.size(); ++t)
        EXPECT_EQ (std::memcmp (held.tracks[t].data(), record.tracks[t], held.tracks[t].size()), 0) << "per-key table " << t;
}

//==============================================================================
std::string hexOf (const std::vector<uint8_t>& bytes)
{
    return juce::String::toHexString (bytes.data(), (int) bytes.size()).toUpperCase().toStdString();
}

std::string sysExText (uint8_t command, const std::vector<uint8_t>& payload)
{
    return hexOf (SimulatedInstrument::frame (command, payload));
}

Wire joined (Wire first, const Wire& second)
{
    first.insert (first.end(), second.begin(), second.end());
    return first;
}

Wire nrpnTriple (int part, int param, int value)
{
    const auto status = (uint8_t) (0xB0 + part);
    return { hexOf ({ status, 0x63, 0x00 }), hexOf ({ status, 0x62, (uint8_t) param }), hexOf ({ status, 0x06, (uint8_t) value }) };
}
