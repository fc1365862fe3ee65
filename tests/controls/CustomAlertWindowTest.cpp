#include "controls/CustomAlertWindow.h"
#include "PeerInput.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace
{
constexpr int noResult = -1;
constexpr int panelFontHeight = 34;

juce::TextButton& buttonOf (juce::AlertWindow& box)
{
    for (auto* child : box.getChildren())
        if (auto* button = dynamic_cast<juce::TextButton*> (child))
            return *button;

    throw std::logic_error ("the box has no button");
}

// A box as the panel opens it: font first, then its button without shortcut keys, then shown modally.
struct OpenBox
{
    OpenBox (const juce::String& caption, int result)
        : box (std::make_unique<CustomAlertWindow> (juce::String(), "  Searching for Velmor Piano device. Please wait...  "))
    {
        box->setFont (juce::Font ((float) panelFontHeight));
        if (caption.isNotEmpty())
            box->addButton (caption, result);
        auto record = [this] (int returned)
        { delivered = returned; };
        box->enterModalState (true, juce::ModalCallbackFunction::create (record), false);
        PeerInput::pump (50);
    }

    // A box deleted while modal still reports, later: let that happen while we exist.
    ~OpenBox()
    {
        box.reset();
        PeerInput::pump (20);
    }

    juce::TextButton& button() { return buttonOf (*box); }

    juce::Point<float> buttonCentre() { return button().getBounds().getCentre().toFloat(); }

    int waitForResult()
    {
        for (int i = 0; i < 50 && delivered == noResult; ++i)
            PeerInput::pump (10);
        return delivered;
    }

    std::unique_ptr<CustomAlertWindow> box;
    int delivered = noResult;
};
} // namespace

TEST (CustomAlertWindow, ButtonClickEndsTheBoxWithItsResult)
{
    for (const auto& [caption, result] : { std::pair { "CANCEL", 1 }, { "OK", 2 }, { "OK", 3 } })
    {
        SCOPED_TRACE (caption);
        OpenBox open (caption, result);
        PeerInput input (*open.box);

        input.click (open.buttonCentre());

        EXPECT_EQ (open.waitForResult(), result);
        EXPECT_FALSE (open.box->isCurrentlyModal());
    }
}

TEST (CustomAlertWindow, ReturnPressesTheOnlyButton)
{
    OpenBox open ("OK", 2);

    PeerInput (*open.box).press (juce::KeyPress (juce::KeyPress::returnKey));

    EXPECT_EQ (open.waitForResult(), 2);
}

TEST (CustomAlertWindow, EscapeNeverEndsABoxWithAButton)
{
    OpenBox open ("CANCEL", 1);

    EXPECT_FALSE (PeerInput (*open.box).press (juce::KeyPress (juce::KeyPress::escapeKey)));
    PeerInput::pump (100);

    EXPECT_TRUE (open.box->isCurrentlyModal());
    EXPECT_EQ (open.delivered, noResult);
}

TEST (CustomAlertWindow, EscapeEndsABoxWithoutButtonsWithResultZero)
{
    OpenBox open ({}, 0);

    PeerInput (*open.box).press (juce::KeyPress (juce::KeyPress::escapeKey));

    EXPECT_EQ (open.waitForResult(), 0);
}

TEST (CustomAlertWindow, ButtonsAreSizedToTheirCaptionsAndDrawOnlyTheCaption)
{
    juce::LookAndFeel_V2 framework;

    for (const auto* caption : { "CANCEL", "OK" })
    {
        SCOPED_TRACE (caption);
        CustomAlertWindow box ({}, "message");
        box.getLookAndFeel().setColour (juce::TextButton::textColourOffId, juce::Colour (0xffff0000));
        box.addButton (caption, 1);
        auto& button = buttonOf (box);

        EXPECT_EQ (button.getHeight(), 28);
        EXPECT_EQ (button.getWidth(), framework.getTextButtonFont (button, 28).getStringWidth (caption) + 28);
        EXPECT_FALSE (box.isOpaque());

        for (const auto state : { juce::Button::buttonNormal, juce::Button::buttonOver, juce::Button::buttonDown })
        {
            button.setState (state);
            juce::Image image (juce::Image::ARGB, button.getWidth(), button.getHeight(), true);
            juce::Graphics g (image);
            button.paintEntireComponent (g, false);

            for (int y = 0; y < image.getHeight(); ++y)
                for (int x = 0; x < image.getWidth(); ++x)
                {
                    const auto pixel = image.getPixelAt (x, y);
                    ASSERT_TRUE (pixel.getAlpha() == 0 || (pixel.getGreen() == 0 && pixel.getBlue() == 0))
                        << "state " << (int) state << " at " << x << ", " << y;
                }
        }
    }
}

TEST (CustomAlertWindow, TextIsLaidOutInTheGivenFont)
{
    const juce::String message ("  Searching for Velmor Piano device. Please wait...  ");
    CustomAlertWindow small ({}, message);
    small.setFont (juce::Font (15.0f));
    small.addButton ("OK", 2);

    CustomAlertWindow large ({}, message);
    large.setFont (juce::Font ((float) panelFontHeight));
    large.addButton ("OK", 2);

    EXPECT_EQ (large.getLookAndFeel().getAlertWindowMessageFont().getHeight(), (float) panelFontHeight);
    EXPECT_GT (large.getWidth(), small.getWidth());
    EXPECT_GT (large.getHeight(), small.getHeight());
}
