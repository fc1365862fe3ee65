#include "controls/CustomComboBox.h"
#include "controls/ImageComboBox.h"

#include <gtest/gtest.h>

namespace
{
juce::Label& textLabelOf (CustomComboBox& box)
{
    for (auto* child : box.getChildren())
        if (auto* label = dynamic_cast<juce::Label*> (child))
            return *label;

    throw std::runtime_error ("combo box without a text label");
}

struct Ink
{
    int first;
    int last; // -1 when nothing is drawn
};

// The first and last columns of the image that hold any visible pixel.
Ink inkColumns (const juce::Image& image)
{
    int first = image.getWidth();
    int last = -1;

    for (int x = 0; x < image.getWidth(); ++x)
        for (int y = 0; y < image.getHeight(); ++y)
            if (image.getPixelAt (x, y).getAlpha() > 0)
            {
                first = std::min (first, x);
                last = std::max (last, x);
            }

    return { first, last };
}

juce::Image paint (juce::Component& component)
{
    juce::Image image (juce::Image::ARGB, component.getWidth(), component.getHeight(), true);
    juce::Graphics g (image);
    component.paintEntireComponent (g, false);
    return image;
}

TEST (CBLookAndFeel, ItemHeightIsTheFontHeightTimesOnePointThreeRoundedHalfToEven)
{
    struct Case
    {
        float fontHeight;
        int itemHeight;
    };

    for (auto c : { Case { 24.0f, 31 }, Case { 19.0f, 25 }, Case { 15.0f, 20 }, Case { 25.0f, 32 } })
    {
        CBLookAndFeel lf;
        lf.font = juce::Font (c.fontHeight);
        int width = 0;
        int height = 0;
        lf.getIdealPopupMenuItemSize ("Model A", false, 24, width, height);

        EXPECT_EQ (height, c.itemHeight) << c.fontHeight;
        EXPECT_EQ (width, lf.font.getStringWidth ("Model A") + 2 * c.itemHeight) << c.fontHeight;
    }
}

TEST (ComboBoxLooks, SeparatorsTakeHalfTheStandardHeightOrTen)
{
    CBLookAndFeel text;
    IBLookAndFeel image;

    for (auto* lf : std::initializer_list<juce::LookAndFeel*> { &text, &image })
    {
        int width = 0;
        int height = 0;
        lf->getIdealPopupMenuItemSize ({}, true, 25, width, height);
        EXPECT_EQ (width, 50);
        EXPECT_EQ (height, 12);
        lf->getIdealPopupMenuItemSize ({}, true, 0, width, height);
        EXPECT_EQ (height, 10);
    }
}

TEST (IBLookAndFeel, EveryItemTakesTheItemSizeWhateverItsTextAndTheStandardHeight)
{
    ImageComboBox box;
    auto& lf = box.getLookAndFeel();
    int width = 0;
    int height = 0;

    lf.getIdealPopupMenuItemSize ({}, false, 24, width, height);
    EXPECT_EQ (juce::Point<int> (width, height), juce::Point<int> (50, 50));

    box.setItemSize (110, 100);
    lf.getIdealPopupMenuItemSize ("a long text that would be wide", false, 12, width, height);
    EXPECT_EQ (juce::Point<int> (width, height), juce::Point<int> (110, 100));
}

TEST (CustomComboBox, TextLabelTakesTheTextWidthOrTheBoxWidthFromTheNextLayout)
{
    juce::Component panel;
    panel.setSize (1024, 748);

    CustomComboBox box;
    const juce::Font font (24.0f);
    box.setFont (font);
    box.setBounds (142, 3, 232, 28);
    EXPECT_EQ (textLabelOf (box).getBounds(), juce::Rectangle<int> (1, 1, 230, 26));
    EXPECT_EQ (textLabelOf (box).getFont(), font);

    box.setTextWidth (216);
    EXPECT_EQ (textLabelOf (box).getBounds().getWidth(), 230) << "no layout has happened yet";

    panel.addAndMakeVisible (box);
    EXPECT_EQ (textLabelOf (box).getBounds(), juce::Rectangle<int> (1, 1, 214, 26));
}

TEST (CustomComboBox, DrawsOnlyItsTextCentredInTheTextWidth)
{
    juce::Component panel;
    CustomComboBox box;
    box.setFont (juce::Font (24.0f));
    box.setJustificationType (juce::Justification::centred);
    box.setColour (juce::ComboBox::textColourId, juce::Colours::white);
    box.setColour (juce::ComboBox::backgroundColourId, juce::Colours::red);
    box.setColour (juce::ComboBox::outlineColourId, juce::Colours::red);
    box.setBounds (0, 0, 232, 28);
    panel.addAndMakeVisible (box);

    EXPECT_EQ (inkColumns (paint (box)).last, -1) << "no background, outline or arrow";

    box.addItem ("Grand", 1);
    box.setSelectedId (1, juce::dontSendNotification);

    for (auto textWidth : { 0, 216 })
    {
        box.setTextWidth (textWidth);
        panel.removeChildComponent (&box);
        panel.addAndMakeVisible (box);

        const auto ink = inkColumns (paint (box));
        const auto labelBounds = textLabelOf (box).getBounds();
        const auto centre = (ink.first + ink.last + 1) / 2;

        EXPECT_GE (ink.first, labelBounds.getX()) << textWidth;
        EXPECT_LT (ink.last, labelBounds.getRight()) << textWidth;
        EXPECT_NEAR (centre, labelBounds.getCentreX(), 2) << textWidth;
    }
}

TEST (CustomComboBox, KeysAreLeftToTheParentAndChangeNothing)
{
    CustomComboBox box;
    box.addItem ("one", 1);
    box.addItem ("two", 2);
    box.setSelectedId (1, juce::dontSendNotification);

    for (auto key : { juce::KeyPress::upKey, juce::KeyPress::downKey, juce::KeyPress::returnKey, juce::KeyPress::spaceKey })
    {
        EXPECT_FALSE (box.keyPressed (juce::KeyPress (key)));
        EXPECT_EQ (box.getSelectedId(), 1);
        EXPECT_FALSE (box.isMenuActive());
    }
}

struct ChangeCounter : public juce::ComboBox::Listener
{
    void comboBoxChanged (juce::ComboBox* box) override
    {
        ++count;
        last = box;
    }

    int count = 0;
    juce::ComboBox* last = nullptr;
};

class ImageComboBoxSelection : public testing::Test
{
protected:
    void SetUp() override
    {
        box.setBounds (398, 2, 36, 32);

        for (int i = 0; i < 4; ++i)
        {
            images.add (juce::Image (juce::Image::ARGB, 10 + i, 10, true));
            box.addItem (ids[(size_t) i], images.getReference (i));
        }

        box.addListener (&counter);
    }

    juce::Image shownImage()
    {
        auto& button = *dynamic_cast<juce::ImageButton*> (box.getChildComponent (0));
        return button.getNormalImage();
    }

    ImageComboBox box;
    std::array<int, 4> ids { 0, 7, 7, 9 };
    juce::Array<juce::Image> images;
    ChangeCounter counter;
};

TEST_F (ImageComboBoxSelection, SelectsByIdOrIndexWithoutTellingListeners)
{
    EXPECT_EQ (box.getSelectedItemIndex(), -1);
    EXPECT_EQ (box.getSelectedId(), 0);
    EXPECT_FALSE (shownImage().isValid());

    box.setSelectedId (7);
    EXPECT_EQ (box.getSelectedItemIndex(), 1) << "the first item with the id";
    EXPECT_EQ (shownImage(), images[1]);

    box.setSelectedItemIndex (0);
    EXPECT_EQ (box.getSelectedId(), 0) << "item id 0 reads like no selection";
    EXPECT_EQ (box.getSelectedItemIndex(), 0);

    box.setSelectedItemIndex (4);
    EXPECT_EQ (box.getSelectedItemIndex(), 0) << "an index past the end changes nothing";

    box.setSelectedId (42);
    EXPECT_EQ (box.getSelectedItemIndex(), -1);
    EXPECT_FALSE (shownImage().isValid());

    box.setSelectedItemIndex (3);
    box.selectItem (-5);
    EXPECT_EQ (box.getSelectedItemIndex(), -1) << "a negative index means none";
    EXPECT_EQ (box.getSelectedId(), 0);

    EXPECT_EQ (counter.count, 0);
}

TEST_F (ImageComboBoxSelection, ClearRemovesItemsSelectionAndImage)
{
    box.setSelectedItemIndex (2);
    box.clear();

    EXPECT_EQ (box.getSelectedItemIndex(), -1);
    EXPECT_FALSE (shownImage().isValid());
    EXPECT_FALSE (box.getItemImage (0).isValid());
    box.setSelectedItemIndex (0);
    EXPECT_EQ (box.getSelectedItemIndex(), -1);
    EXPECT_EQ (counter.count, 0);
}

TEST_F (ImageComboBoxSelection, OnlyItsOwnSetBoundsSizesTheButton)
{
    auto& button = *box.getChildComponent (0);
    EXPECT_EQ (button.getBounds(), juce::Rectangle<int> (0, 0, 36, 32));

    box.juce::Component::setSize (50, 50);
    EXPECT_EQ (button.getBounds(), juce::Rectangle<int> (0, 0, 36, 32));
}

TEST_F (ImageComboBoxSelection, EveryChosenResultIsReportedOnceEvenTheSelectedOne)
{
    ImageComboBox::popupItemChosenCallback (3, &box);
    EXPECT_EQ (box.getSelectedItemIndex(), 2);
    EXPECT_EQ (counter.count, 1);
    EXPECT_EQ (counter.last, reinterpret_cast<juce::ComboBox*> (&box));

    ImageComboBox::popupItemChosenCallback (3, &box);
    EXPECT_EQ (counter.count, 2);

    ImageComboBox::popupItemChosenCallback (0, &box);
    EXPECT_EQ (counter.count, 2) << "dismissal reports nothing";
    EXPECT_EQ (box.getSelectedItemIndex(), 2);

    ImageComboBox::popupItemChosenCallback (99, &box);
    EXPECT_EQ (box.getSelectedItemIndex(), 2) << "a result past the items selects nothing";
    EXPECT_EQ (counter.count, 3);

    ImageComboBox::popupItemChosenCallback (1, nullptr);
    EXPECT_EQ (counter.count, 3);
}

TEST_F (ImageComboBoxSelection, ListenersAreToldOnceEachLastRegisteredFirst)
{
    std::vector<int> order;

    struct Recorder : public juce::ComboBox::Listener
    {
        Recorder (std::vector<int>& o, int n) : calls (o),
                                                number (n) {}
        void comboBoxChanged (juce::ComboBox*) override { calls.push_back (number); }
        std::vector<int>& calls;
        int number;
    };

    Recorder first (order, 1);
    Recorder second (order, 2);
    box.addListener (&first);
    box.addListener (&second);
    box.addListener (&first);
    box.addListener (nullptr);

    box.sendComboBoxChanged();
    EXPECT_EQ (order, (std::vector<int> { 2, 1 }));
    EXPECT_EQ (counter.count, 1);
}

TEST (ImageComboBox, AListenerMayDeleteTheBoxItWasToldAbout)
{
    struct Deleter : public juce::ComboBox::Listener
    {
        void comboBoxChanged (juce::ComboBox*) override
        {
            ++calls;
            box.reset();
        }

        std::unique_ptr<ImageComboBox> box = std::make_unique<ImageComboBox>();
        int calls = 0;
    };

    Deleter first;
    Deleter second;
    first.box->addItem (1, {});
    // The box is deleted by its most recent listener; the earlier one is not called.
    first.box->addListener (&second);
    first.box->addListener (&first);

    ImageComboBox::popupItemChosenCallback (1, first.box.get());
    EXPECT_EQ (first.box, nullptr);
    EXPECT_EQ (first.calls, 1);
    EXPECT_EQ (second.calls, 0);
}
} // namespace
