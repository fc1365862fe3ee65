#include "controls/CustomLabel.h"
#include "PeerInput.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
struct Recorder : CustomLabel::Listener
{
    explicit Recorder (std::vector<Recorder*>& callOrder) : order (callOrder) {}

    void labelDoubleClick (CustomLabel* label) override
    {
        order.push_back (this);
        labels.push_back (label);
        if (onCall)
            onCall();
    }

    std::vector<Recorder*>& order;
    std::vector<CustomLabel*> labels;
    std::function<void()> onCall;
};

// A desktop window holding the label, so that clicks arrive through the native peer.
struct LabelWindow
{
    LabelWindow()
    {
        window.setBounds (100, 100, 200, 60);
        label = std::make_unique<CustomLabel>();
        label->setBounds (10, 10, 100, 30);
        window.addAndMakeVisible (*label);
        window.addToDesktop (juce::ComponentPeer::windowIsTemporary);
        window.setVisible (true);
        PeerInput::pump (50);
    }

    ~LabelWindow()
    {
        label.reset();
        window.removeFromDesktop();
    }

    juce::Component window;
    std::unique_ptr<CustomLabel> label;
    const juce::Point<float> labelCentre { 60.0f, 25.0f };
};
} // namespace

TEST (CustomLabel, DoubleClickReachesEveryListenerOnceAndNeverOpensTheEditor)
{
    struct Flags
    {
        bool onSingleClick;
        bool onDoubleClick;
    };

    for (const auto flags : { Flags { false, false }, Flags { false, true } })
    {
        SCOPED_TRACE (flags.onDoubleClick);
        LabelWindow w;
        std::vector<Recorder*> order;
        Recorder first (order), second (order);
        w.label->setEditable (flags.onSingleClick, flags.onDoubleClick);
        w.label->addListener (&first);
        w.label->addListener (&second);
        w.label->addListener (&first);
        w.label->addListener (static_cast<CustomLabel::Listener*> (nullptr));

        PeerInput input (w.window);
        input.doubleClick (w.labelCentre);
        PeerInput::pump (20);

        EXPECT_FALSE (w.label->isBeingEdited());
        EXPECT_EQ (order, (std::vector<Recorder*> { &second, &first }));
        EXPECT_EQ (first.labels, std::vector<CustomLabel*> { w.label.get() });

        input.doubleClick (w.labelCentre);
        EXPECT_EQ (order.size(), 4u);
    }
}

TEST (CustomLabel, SingleClickEditingIsLeftToTheLabel)
{
    LabelWindow w;
    w.label->setEditable (true, false);

    PeerInput (w.window).click (w.labelCentre);
    PeerInput::pump (20);

    EXPECT_TRUE (w.label->isBeingEdited());
}

TEST (CustomLabel, ListenerThatDeletesTheLabelStopsTheCalls)
{
    LabelWindow w;
    std::vector<Recorder*> order;
    Recorder notCalled (order), deleter (order);
    w.label->addListener (&notCalled);
    w.label->addListener (&deleter);
    deleter.onCall = [&w]
    { w.label.reset(); };

    PeerInput (w.window).doubleClick (w.labelCentre);

    EXPECT_EQ (w.label, nullptr);
    EXPECT_EQ (order, std::vector<Recorder*> { &deleter });
}
