#include "controls/CustomComboBox.h"
#include "controls/ImageComboBox.h"
#include "controls/MenuAreaPopup.h"

#include <gtest/gtest.h>

namespace
{
constexpr int openMs = 300; // longer than a popup ignores the release of the opening press
constexpr int settleMs = 60;

void pump (int milliseconds)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
}

// Mouse input as the display server delivers it to a window, with the real
// pointer moved along so that whatever asks for the pointer agrees.
void sendMouse (juce::Component& window, juce::Point<int> screenPosition, juce::ModifierKeys buttons)
{
    juce::Desktop::setMousePosition (screenPosition);
    juce::ModifierKeys::currentModifiers = buttons;
    auto* peer = window.getPeer();
    ASSERT_NE (peer, nullptr);
    peer->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse,
                            peer->globalToLocal (screenPosition.toFloat()),
                            buttons,
                            juce::MouseInputSource::defaultPressure,
                            juce::MouseInputSource::defaultOrientation,
                            juce::Time::currentTimeMillis());
}

void click (juce::Component& window, juce::Point<int> screenPosition)
{
    sendMouse (window, screenPosition, {});
    sendMouse (window, screenPosition, juce::ModifierKeys::leftButtonModifier);
    sendMouse (window, screenPosition, {});
    pump (settleMs);
}

std::vector<juce::Component*> openPopups()
{
    std::vector<juce::Component*> popups;
    auto& desktop = juce::Desktop::getInstance();

    for (int i = 0; i < desktop.getNumComponents(); ++i)
        if (auto* c = desktop.getComponent (i); c->getName() == "menu" && c->isVisible())
            popups.push_back (c);

    return popups;
}

MenuAreaPopup* openAreaPopup()
{
    const auto popups = openPopups();
    return popups.size() == 1 ? dynamic_cast<MenuAreaPopup*> (popups.front()) : nullptr;
}

// The framework's popup: a window whose children are its items.
juce::Component* openFrameworkPopup()
{
    const auto popups = openPopups();
    return popups.size() == 1 && dynamic_cast<MenuAreaPopup*> (popups.front()) == nullptr ? popups.front() : nullptr;
}

juce::Point<int> itemCentre (MenuAreaPopup& popup, int index)
{
    return popup.getScreenPosition() + popup.getItemBounds (index).getCentre();
}

juce::Point<int> itemCentre (juce::Component& frameworkPopup, int index)
{
    return frameworkPopup.getChildComponent (index)->getScreenBounds().getCentre();
}

// An item to choose, and how many change reports that should bring.
struct Choice
{
    int index;
    int changes;
};

struct ChangeCounter : public juce::ComboBox::Listener
{
    void comboBoxChanged (juce::ComboBox*) override
    {
        ++count;
    }

    int count = 0;
};

class Panel : public juce::Component
{
public:
    Panel()
    {
        setWantsKeyboardFocus (true);
        setOpaque (true);
    }

    void paint (juce::Graphics& g) override
    {
        g.fillAll (juce::Colours::darkgrey);
    }
};

class ComboBoxPopups : public testing::Test
{
protected:
    void SetUp() override
    {
        panel.setBounds (0, 0, 1024, 748);
        panel.addToDesktop (0);
        panel.setVisible (true);
        panel.toFront (true);
        panel.grabKeyboardFocus();

        // A popup closes at once while no window of the process has the focus.
        for (int i = 0; i < 100 && ! juce::Process::isForegroundProcess(); ++i)
            pump (20);

        ASSERT_TRUE (juce::Process::isForegroundProcess());
    }

    void TearDown() override
    {
        juce::PopupMenu::dismissAllActiveMenus();
        MenuAreaPopup::dismissAll();
        pump (settleMs);
    }

    juce::Point<int> onPanel (int x, int y)
    {
        return panel.localPointToGlobal (juce::Point<int> (x, y));
    }

    juce::Point<int> centreOf (juce::Component& c)
    {
        return c.getScreenBounds().getCentre();
    }

    void openByClicking (juce::Component& box)
    {
        click (panel, centreOf (box));
        pump (openMs);
    }

    Panel panel;
    ChangeCounter counter;
};

class TextComboPopups : public ComboBoxPopups
{
protected:
    void SetUp() override
    {
        ComboBoxPopups::SetUp();
        box = std::make_unique<CustomComboBox>();
        box->setFont (juce::Font (24.0f));
        box->setBounds (142, 3, 232, 28);
        box->setTextWhenNoChoicesAvailable ("(no choices)");
        panel.addAndMakeVisible (*box);
        box->addListener (&counter);
    }

    void addItems (int count)
    {
        for (int id = 1; id <= count; ++id)
            box->addItem ("Microperformance " + juce::String (id), id);
    }

    std::unique_ptr<CustomComboBox> box;
};

TEST_F (TextComboPopups, MenuAreaPopupFillsTheAreaAndEveryClickOpensItAgain)
{
    addItems (64);
    box->setMenuArea (12 - 142, 0, 1000, 509);
    box->getLookAndFeel().setColour (juce::PopupMenu::highlightedBackgroundColourId, juce::Colours::lime);

    for (auto choice : { Choice { 16, 1 }, Choice { 16, 0 }, Choice { 2, 1 } })
    {
        openByClicking (*box);
        auto* popup = openAreaPopup();
        ASSERT_NE (popup, nullptr);
        EXPECT_TRUE (box->isMenuActive());
        EXPECT_EQ (popup->getScreenBounds(), juce::Rectangle<int> (12, 34, 1000, 509).translated (1, 1) + panel.getScreenPosition());
        EXPECT_EQ (popup->getItemBounds (16), juce::Rectangle<int> (250, 2, 250, 31));

        sendMouse (*popup, itemCentre (*popup, choice.index), {});
        EXPECT_EQ (popup->getHighlightedIndex(), choice.index);
        const auto picture = popup->createComponentSnapshot (popup->getLocalBounds(), false);
        const auto corner = popup->getItemBounds (choice.index).getTopLeft() + juce::Point<int> (3, 3);
        EXPECT_EQ (picture.getPixelAt (corner.x, corner.y), juce::Colours::lime) << "the highlight is drawn by the box's look-and-feel";

        const auto before = counter.count;
        click (*popup, itemCentre (*popup, choice.index));
        EXPECT_EQ (openPopups().size(), 0u);
        EXPECT_FALSE (box->isMenuActive());
        EXPECT_EQ (box->getSelectedId(), choice.index + 1);
        EXPECT_EQ (counter.count - before, choice.changes);
    }
}

TEST_F (TextComboPopups, PressDragAndReleaseOpenOnePopup)
{
    addItems (5);
    box->setMenuArea (12 - 142, 0, 1000, 509);

    const auto centre = centreOf (*box);
    sendMouse (panel, centre, juce::ModifierKeys::leftButtonModifier);
    pump (settleMs);
    sendMouse (panel, centre + juce::Point<int> (5, 0), juce::ModifierKeys::leftButtonModifier);
    pump (settleMs);
    sendMouse (panel, centre + juce::Point<int> (5, 0), {});
    pump (settleMs);
    box->showPopup();
    pump (settleMs);

    EXPECT_EQ (openPopups().size(), 1u);
    EXPECT_NE (openAreaPopup(), nullptr);
}

TEST_F (TextComboPopups, DismissingReportsNothingAndTheNextClickOpensAgain)
{
    addItems (5);
    box->setSelectedId (2, juce::dontSendNotification);
    box->setMenuArea (12 - 142, 0, 1000, 509);

    // Outside the area and the box, on the box itself, and with Escape.
    for (auto way : { 0, 1, 2 })
    {
        openByClicking (*box);
        auto* popup = openAreaPopup();
        ASSERT_NE (popup, nullptr) << way;

        if (way == 0)
            click (panel, onPanel (600, 700));
        else if (way == 1)
            click (panel, centreOf (*box));
        else
            panel.getPeer()->handleKeyPress (juce::KeyPress (juce::KeyPress::escapeKey));

        pump (settleMs);
        EXPECT_EQ (openPopups().size(), 0u) << way;
        EXPECT_FALSE (box->isMenuActive()) << way;
    }

    EXPECT_EQ (box->getSelectedId(), 2);
    EXPECT_EQ (counter.count, 0);
}

TEST_F (TextComboPopups, ArrowsMoveTheHighlightDownAndAcrossColumnsAndReturnChooses)
{
    addItems (40);
    box->setMenuArea (12 - 142, 0, 1000, 509);
    openByClicking (*box);
    auto* popup = openAreaPopup();
    ASSERT_NE (popup, nullptr);

    auto press = [this] (int key)
    { panel.getPeer()->handleKeyPress (juce::KeyPress (key)); };

    press (juce::KeyPress::downKey);
    EXPECT_EQ (popup->getHighlightedIndex(), 0);
    press (juce::KeyPress::rightKey);
    EXPECT_EQ (popup->getHighlightedIndex(), 16) << "one column of 16 rows further";
    press (juce::KeyPress::upKey);
    EXPECT_EQ (popup->getHighlightedIndex(), 15);

    press (juce::KeyPress::returnKey);
    pump (settleMs);
    EXPECT_EQ (openPopups().size(), 0u);
    EXPECT_EQ (box->getSelectedId(), 16);
    EXPECT_EQ (counter.count, 1);
}

TEST_F (TextComboPopups, WithoutItemsTheOnlyItemCannotBeChosen)
{
    box->setMenuArea (12 - 142, 0, 1000, 509);
    openByClicking (*box);
    auto* popup = openAreaPopup();
    ASSERT_NE (popup, nullptr);
    ASSERT_EQ (popup->getNumItems(), 1);

    click (*popup, itemCentre (*popup, 0));
    EXPECT_EQ (openAreaPopup(), popup) << "a disabled item leaves the popup open";
    EXPECT_EQ (popup->getHighlightedIndex(), -1);

    click (panel, onPanel (600, 700));
    EXPECT_EQ (openPopups().size(), 0u);
    EXPECT_EQ (counter.count, 0);
}

TEST_F (TextComboPopups, WithoutMenuAreaTheFrameworksPopupOpensOnEveryClick)
{
    addItems (5);
    box->setMenuArea (0, 0, 0, 509);

    for (auto choice : { Choice { 3, 1 }, Choice { 1, 1 }, Choice { 1, 0 } })
    {
        openByClicking (*box);
        auto* popup = openFrameworkPopup();
        ASSERT_NE (popup, nullptr);
        EXPECT_GE (popup->getScreenY(), box->getScreenBounds().getBottom() - 1) << "opens under the box";

        const auto before = counter.count;
        click (*popup, itemCentre (*popup, choice.index));
        pump (settleMs);
        EXPECT_EQ (openPopups().size(), 0u);
        EXPECT_EQ (box->getSelectedId(), choice.index + 1);
        EXPECT_EQ (counter.count - before, choice.changes);
    }

    openByClicking (*box);
    ASSERT_NE (openFrameworkPopup(), nullptr);
    click (panel, onPanel (600, 700));
    EXPECT_EQ (openPopups().size(), 0u);
    EXPECT_FALSE (box->isMenuActive());
}

TEST_F (TextComboPopups, DeletingABoxWithAnOpenPopupClosesThePopup)
{
    addItems (5);

    for (auto width : { 1000, 0 })
    {
        if (box == nullptr)
        {
            box = std::make_unique<CustomComboBox>();
            box->setBounds (142, 3, 232, 28);
            panel.addAndMakeVisible (*box);
            addItems (5);
        }

        box->setMenuArea (12 - 142, 0, width, 509);
        openByClicking (*box);
        ASSERT_EQ (openPopups().size(), 1u) << width;

        box.reset();
        pump (settleMs);
        EXPECT_EQ (openPopups().size(), 0u) << width;
    }
}

class ImageComboPopups : public ComboBoxPopups
{
protected:
    void SetUp() override
    {
        ComboBoxPopups::SetUp();
        box = std::make_unique<ImageComboBox>();
        box->setItemSize (110, 100);
        box->setBounds (398, 2, 36, 32);
        panel.addAndMakeVisible (*box);
        box->addListener (&counter);
    }

    void addIcons()
    {
        for (int i = 0; i < 15; ++i)
        {
            juce::Image icon (juce::Image::ARGB, 80, 80, true);
            icon.clear (icon.getBounds(), juce::Colour::fromHSV ((float) i / 15.0f, 1.0f, 1.0f, 1.0f));
            box->addItem (i, icon);
        }
    }

    std::unique_ptr<ImageComboBox> box;
};

TEST_F (ImageComboPopups, IconsFormThreeColumnsOfFiveAndEveryChoiceIsReported)
{
    addIcons();
    box->setMenuArea (0, 0, 332, 504);

    for (int round = 1; round <= 2; ++round)
    {
        openByClicking (*box);
        auto* popup = openAreaPopup();
        ASSERT_NE (popup, nullptr);
        EXPECT_TRUE (box->isMenuVisible());
        EXPECT_EQ (popup->getScreenBounds(), juce::Rectangle<int> (398, 36, 332, 504).translated (1, 1) + panel.getScreenPosition());
        EXPECT_EQ (popup->getItemBounds (4), juce::Rectangle<int> (0, 402, 110, 100));
        EXPECT_EQ (popup->getItemBounds (5), juce::Rectangle<int> (110, 2, 110, 100));

        click (*popup, itemCentre (*popup, 4));
        EXPECT_EQ (openPopups().size(), 0u);
        EXPECT_FALSE (box->isMenuVisible());
        EXPECT_EQ (box->getSelectedItemIndex(), 4);
        EXPECT_EQ (counter.count, round) << "the same item chosen again is reported again";
    }

    openByClicking (*box);
    ASSERT_NE (openAreaPopup(), nullptr);
    click (panel, onPanel (900, 700));
    EXPECT_EQ (openPopups().size(), 0u);
    EXPECT_FALSE (box->isMenuVisible());
    EXPECT_EQ (counter.count, 2);
    EXPECT_EQ (box->getSelectedItemIndex(), 4);
}

TEST_F (ImageComboPopups, WithoutItemsAClickOpensNothingAndNeverSticks)
{
    box->setMenuArea (0, 0, 332, 504);
    openByClicking (*box);
    EXPECT_EQ (openPopups().size(), 0u);
    EXPECT_FALSE (box->isMenuVisible());

    addIcons();
    openByClicking (*box);
    EXPECT_NE (openAreaPopup(), nullptr);
}

TEST_F (ImageComboPopups, WithoutMenuAreaTheFrameworksPopupChooses)
{
    addIcons();
    openByClicking (*box);
    auto* popup = openFrameworkPopup();
    ASSERT_NE (popup, nullptr);

    click (*popup, itemCentre (*popup, 1));
    pump (settleMs);
    EXPECT_EQ (box->getSelectedItemIndex(), 1);
    EXPECT_EQ (counter.count, 1);
    EXPECT_FALSE (box->isMenuVisible());
}

TEST_F (ImageComboPopups, AListenerMayDeleteTheBoxWhenAnItemIsChosen)
{
    struct Deleter : public juce::ComboBox::Listener
    {
        void comboBoxChanged (juce::ComboBox*) override
        {
            box.reset();
        }

        std::unique_ptr<ImageComboBox>& box;
        explicit Deleter (std::unique_ptr<ImageComboBox>& b) : box (b) {}
    };

    Deleter deleter (box);
    addIcons();
    box->setMenuArea (0, 0, 332, 504);
    box->addListener (&deleter);

    openByClicking (*box);
    auto* popup = openAreaPopup();
    ASSERT_NE (popup, nullptr);
    click (*popup, itemCentre (*popup, 7));
    EXPECT_EQ (box, nullptr);
    EXPECT_EQ (openPopups().size(), 0u);
}

TEST_F (ImageComboPopups, DeletingABoxWithAnOpenPopupClosesThePopup)
{
    addIcons();
    box->setMenuArea (0, 0, 332, 504);
    openByClicking (*box);
    ASSERT_NE (openAreaPopup(), nullptr);

    box.reset();
    pump (settleMs);
    EXPECT_EQ (openPopups().size(), 0u);
}
} // namespace
