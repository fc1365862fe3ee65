#include "controls/MenuAreaPopup.h"

#include <algorithm>
#include <memory>
#include <utility>

namespace
{
// The same pauses as the framework's popup: a release this soon after opening
// belongs to the press that opened the popup, and focus that is gone this
// long means the user has switched to another application.
constexpr juce::uint32 releaseIgnoredForMs = 250;
constexpr juce::uint32 focusGraceMs = 10;
constexpr int watchHz = 20; // how often an open popup checks its target and the focus
constexpr int dismissCommandId = 0x6f391f40;
constexpr int minStandardItemHeight = 12;
constexpr int maxStandardItemHeight = 24;

bool canBeTriggered (const juce::PopupMenu::Item& item)
{
    return item.isEnabled && item.itemID != 0 && ! item.isSectionHeader && item.customComponent == nullptr;
}

bool canBeHighlighted (const juce::PopupMenu::Item& item)
{
    return item.isEnabled && ! item.isSeparator;
}

// Deletes the popup's window when its modal state ends. Attached after the
// user's callback, it runs before it, so that the window (and its hold on the
// look-and-feel) is gone by the time the user's code sees the result.
struct WindowDeleter final : public juce::ModalComponentManager::Callback
{
    explicit WindowDeleter (juce::Component* w) : window (w) {}

    void modalStateFinished (int) override
    {
        window.reset();
    }

    std::unique_ptr<juce::Component> window;
};
} // namespace

MenuAreaPopup::Layout MenuAreaPopup::layOut (juce::Rectangle<int> screenArea, const std::vector<int>& itemHeights, int border)
{
    Layout result;
    result.window = { screenArea.getX() + 1, screenArea.getY() + 1, std::max (0, screenArea.getWidth()), std::max (0, screenArea.getHeight()) };

    if (itemHeights.empty())
        return result;

    std::vector<int> heights;
    heights.reserve (itemHeights.size());

    for (auto h : itemHeights)
        heights.push_back (juce::jlimit (minItemHeight, maxItemHeight, h));

    const auto tallest = *std::max_element (heights.begin(), heights.end());
    const auto numItems = (int) heights.size();

    result.rows = std::max (1, (screenArea.getHeight() - 2 * border) / tallest);
    result.columns = (numItems + result.rows - 1) / result.rows;
    result.columnWidth = result.window.getWidth() / result.columns;

    auto y = border;

    for (int i = 0; i < numItems; ++i)
    {
        if (i % result.rows == 0)
            y = border;

        result.items.emplace_back ((i / result.rows) * result.columnWidth, y, result.columnWidth, heights[(size_t) i]);
        y += heights[(size_t) i];
    }

    return result;
}

void MenuAreaPopup::showAsync (const juce::PopupMenu& menu,
                               const juce::PopupMenu::Options& popupOptions,
                               juce::LookAndFeel& lookAndFeel,
                               juce::ModalComponentManager::Callback* callback)
{
    std::unique_ptr<juce::ModalComponentManager::Callback> userCallback (callback);

    if (menu.getNumItems() == 0)
    {
        std::shared_ptr<juce::ModalComponentManager::Callback> pending (std::move (userCallback));
        auto deliverNothingChosen = [pending]
        {
            if (pending != nullptr)
                pending->modalStateFinished (0);
        };
        juce::MessageManager::callAsync (deliverNothingChosen);
        return;
    }

    auto* window = new MenuAreaPopup (menu, popupOptions, lookAndFeel);
    window->setVisible (true);
    window->enterModalState (false, userCallback.release(), false);
    juce::ModalComponentManager::getInstance()->attachCallback (window, new WindowDeleter (window));
    window->toFront (false);
}

void MenuAreaPopup::showForBox (juce::Component& box,
                                juce::PopupMenu& menu,
                                juce::Rectangle<int> menuArea,
                                int itemThatMustBeVisible,
                                juce::ModalComponentManager::Callback* callback)
{
    const auto options = juce::PopupMenu::Options()
                             .withTargetComponent (&box)
                             .withMinimumWidth (box.getWidth())
                             .withStandardItemHeight (juce::jlimit (minStandardItemHeight, maxStandardItemHeight, box.getHeight()));

    if (menuArea.getWidth() != 0 && menuArea.getHeight() != 0)
        showAsync (menu, options.withTargetScreenArea (box.localAreaToGlobal (menuArea)), box.getLookAndFeel(), callback);
    else
        menu.showMenuAsync (options.withItemThatMustBeVisible (itemThatMustBeVisible).withMaximumNumColumns (1), callback);
}

bool MenuAreaPopup::dismissAll()
{
    const auto popups = getActivePopups();
    auto anyOpen = false;

    // Also those already closing, whose windows go a moment later.
    for (auto it = popups.rbegin(); it != popups.rend(); ++it)
    {
        anyOpen = anyOpen || ! (*it)->exiting;
        (*it)->setLookAndFeel (nullptr);
        (*it)->dismiss (0);
    }

    return anyOpen;
}

MenuAreaPopup::MenuAreaPopup (const juce::PopupMenu& menu, const juce::PopupMenu::Options& popupOptions, juce::LookAndFeel& menuLookAndFeel)
    : juce::Component ("menu"),
      options (popupOptions),
      target (popupOptions.getTargetComponent()),
      creationTime (juce::Time::getMillisecondCounter()),
      lastFocusedTime (creationTime)
{
    setWantsKeyboardFocus (false);
    setMouseClickGrabsKeyboardFocus (false);
    setAlwaysOnTop (true);
    setLookAndFeel (&menuLookAndFeel);

    std::vector<int> heights;

    for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
    {
        const auto& item = it.getItem();
        // The framework's starting guess, for a look-and-feel that leaves a size unset.
        int idealWidth = 80;
        int idealHeight = 16;
        menuLookAndFeel.getIdealPopupMenuItemSizeWithOptions (item.text, item.isSeparator, options.getStandardItemHeight(), idealWidth, idealHeight, options);
        items.push_back (item);
        heights.push_back (idealHeight);
    }

    layout = layOut (options.getTargetScreenArea(), heights, menuLookAndFeel.getPopupMenuBorderSizeWithOptions (options));

    setOpaque (menuLookAndFeel.findColour (juce::PopupMenu::backgroundColourId).isOpaque() || ! juce::Desktop::canUseSemiTransparentWindows());
    setBounds (layout.window);
    addToDesktop (juce::ComponentPeer::windowIsTemporary | juce::ComponentPeer::windowIgnoresKeyPresses | menuLookAndFeel.getMenuWindowFlags());
    juce::Desktop::getInstance().addGlobalMouseListener (this);

    getActivePopups().push_back (this);
    startTimerHz (watchHz);
}

MenuAreaPopup::~MenuAreaPopup()
{
    auto& popups = getActivePopups();
    popups.erase (std::remove (popups.begin(), popups.end(), this), popups.end());
    juce::Desktop::getInstance().removeGlobalMouseListener (this);
    setLookAndFeel (nullptr);
}

int MenuAreaPopup::getNumItems() const
{
    return (int) items.size();
}

juce::Rectangle<int> MenuAreaPopup::getItemBounds (int index) const
{
    return juce::isPositiveAndBelow (index, getNumItems()) ? layout.items[(size_t) index] : juce::Rectangle<int>();
}

int MenuAreaPopup::getHighlightedIndex() const
{
    return highlighted;
}

void MenuAreaPopup::paint (juce::Graphics& g)
{
    if (isOpaque())
        g.fillAll (juce::Colours::white);

    auto& lf = getLookAndFeel();
    lf.drawPopupMenuBackgroundWithOptions (g, getWidth(), getHeight(), options);

    for (size_t i = 0; i < items.size(); ++i)
    {
        const auto bounds = layout.items[i];

        if (! g.clipRegionIntersects (bounds))
            continue;

        // Each item draws as if it were a component of its own: nothing
        // spills into its neighbours.
        juce::Graphics::ScopedSaveState state (g);
        g.reduceClipRegion (bounds);
        g.setOrigin (bounds.getPosition());
        lf.drawPopupMenuItemWithOptions (g, bounds.withZeroOrigin(), (int) i == highlighted, items[i], options);
    }
}

bool MenuAreaPopup::keyPressed (const juce::KeyPress& key)
{
    if (key.isKeyCode (juce::KeyPress::downKey))
        moveHighlight (1);
    else if (key.isKeyCode (juce::KeyPress::upKey))
        moveHighlight (-1);
    else if (key.isKeyCode (juce::KeyPress::rightKey))
        moveHighlight (std::max (1, layout.rows));
    else if (key.isKeyCode (juce::KeyPress::leftKey))
        moveHighlight (-std::max (1, layout.rows));
    else if (key.isKeyCode (juce::KeyPress::returnKey) || key.isKeyCode (juce::KeyPress::spaceKey))
        triggerHighlightedItem();
    else if (key.isKeyCode (juce::KeyPress::escapeKey))
        dismiss (0);
    else
        return false;

    return true;
}

void MenuAreaPopup::inputAttemptWhenModal()
{
    if (exiting)
        return;

    // A click on the component that opened the popup must not reopen it, so
    // that click is swallowed and the popup goes a moment later; any other
    // click passes through to what it hit.
    if (auto* attached = target.get())
    {
        if (attached->reallyContains (attached->getMouseXYRelative(), true))
        {
            postCommandMessage (dismissCommandId);
            return;
        }
    }

    dismiss (0);
}

void MenuAreaPopup::handleCommandMessage (int commandId)
{
    if (commandId == dismissCommandId)
        dismiss (0);
    else
        juce::Component::handleCommandMessage (commandId);
}

// These come both from the popup itself and, as a global mouse listener,
// from every other component of the application: a press on the combo box
// can be dragged onto an item and released there.
void MenuAreaPopup::mouseMove (const juce::MouseEvent& e)
{
    followMouse (e.getScreenPosition());
}

void MenuAreaPopup::mouseDrag (const juce::MouseEvent& e)
{
    followMouse (e.getScreenPosition());
}

void MenuAreaPopup::mouseDown (const juce::MouseEvent& e)
{
    followMouse (e.getScreenPosition());

    if (isInside (e.getScreenPosition()))
        pressedInside = true;
}

void MenuAreaPopup::mouseUp (const juce::MouseEvent& e)
{
    const auto position = e.getScreenPosition();
    followMouse (position);

    if (exiting)
        return;

    const auto wasPressedInside = std::exchange (pressedInside, false);
    const auto longEnough = juce::Time::getMillisecondCounter() > creationTime + releaseIgnoredForMs;

    if (isInside (position))
    {
        if (wasPressedInside || (hasBeenOver && longEnough))
            triggerHighlightedItem();
    }
    else if (hasBeenOver && longEnough && ! wasPressedInside && e.mouseWasDraggedSinceMouseDown())
    {
        // Dragged from the combo box across the popup and let go outside it.
        dismiss (0);
    }
}

void MenuAreaPopup::mouseExit (const juce::MouseEvent& e)
{
    followMouse (e.getScreenPosition());
}

void MenuAreaPopup::timerCallback()
{
    if (exiting)
        return;

    if (target.wasObjectDeleted() || options.hasWatchedComponentBeenDeleted())
    {
        dismiss (0);
        return;
    }

    const auto now = juce::Time::getMillisecondCounter();

    if (doesAnyWindowOfOursHaveFocus())
        lastFocusedTime = now;
    else if (now > lastFocusedTime + focusGraceMs)
        dismiss (0);
}

void MenuAreaPopup::followMouse (juce::Point<int> screenPosition)
{
    if (exiting)
        return;

    const auto local = getLocalPoint (nullptr, screenPosition);

    if (! reallyContains (local, true))
    {
        if (hasBeenOver)
            setHighlightedIndex (-1);

        return;
    }

    hasBeenOver = true;
    setHighlightedIndex (findItemAt (local));
}

int MenuAreaPopup::findItemAt (juce::Point<int> localPosition) const
{
    for (size_t i = 0; i < layout.items.size(); ++i)
        if (layout.items[i].contains (localPosition))
            return (int) i;

    return -1;
}

void MenuAreaPopup::setHighlightedIndex (int index)
{
    if (juce::isPositiveAndBelow (index, getNumItems()) && ! canBeHighlighted (items[(size_t) index]))
        index = -1;

    if (index == highlighted)
        return;

    repaint (getItemBounds (highlighted));
    highlighted = index;
    repaint (getItemBounds (highlighted));
}

void MenuAreaPopup::moveHighlight (int step)
{
    const auto numItems = getNumItems();
    auto index = highlighted;

    for (int tries = 0; tries < numItems; ++tries)
    {
        index = index < 0 ? (step > 0 ? 0 : numItems - 1) : ((index + step) % numItems + numItems) % numItems;

        if (canBeTriggered (items[(size_t) index]))
        {
            setHighlightedIndex (index);
            return;
        }
    }
}

void MenuAreaPopup::triggerHighlightedItem()
{
    if (juce::isPositiveAndBelow (highlighted, getNumItems()) && canBeTriggered (items[(size_t) highlighted]))
        dismiss (items[(size_t) highlighted].itemID);
}

void MenuAreaPopup::dismiss (int result)
{
    if (exiting)
        return;

    exiting = true;
    stopTimer();

    if (options.hasWatchedComponentBeenDeleted())
        result = 0;

    std::function<void()> action;

    if (result != 0 && juce::isPositiveAndBelow (highlighted, getNumItems()))
        action = items[(size_t) highlighted].action;

    juce::WeakReference<juce::Component> self (this);
    exitModalState (result);

    if (self != nullptr)
        setVisible (false);

    if (action != nullptr)
        juce::MessageManager::callAsync (action);
}

bool MenuAreaPopup::isInside (juce::Point<int> screenPosition)
{
    return reallyContains (getLocalPoint (nullptr, screenPosition), true);
}

bool MenuAreaPopup::doesAnyWindowOfOursHaveFocus()
{
    if (! juce::Process::isForegroundProcess())
        return false;

    if (juce::Component::getCurrentlyFocusedComponent() != nullptr)
        return true;

    for (int i = juce::ComponentPeer::getNumPeers(); --i >= 0;)
    {
        if (juce::ComponentPeer::getPeer (i)->isFocused())
        {
            anyWindowHadFocus = true;
            return true;
        }
    }

    return ! anyWindowHadFocus;
}

std::vector<MenuAreaPopup*>& MenuAreaPopup::getActivePopups()
{
    static std::vector<MenuAreaPopup*> popups;
    return popups;
}
