// The panel's construction, layout, teardown, painting and read-outs.
#include "app/MainComponent.h"

#include "BinaryData.h"
#include "app/DesktopWorkArea.h"
#include "app/PanelTables.h"

// The key view, which knows nothing of the link, counts the record's keys
// from the same note.
static_assert (KeyView::keyCount == KEY_COUNT && KeyView::firstKeyNote == FIRST_KEY_NOTE);

namespace
{
constexpr auto logFileName = "Midi.log";
constexpr unsigned char logEveryLevel = 0x1F;
constexpr auto applicationName = VELMOR_PRODUCT_NAME;
constexpr double splashSeconds = 4.0;

constexpr int kCircleRadioGroup = 1;
constexpr int triangleLabelX = -4;
constexpr int triangleLabelCentreTop = 593;
constexpr int triangleLabelStep = 2;

// Hit thresholds: the alpha a pixel of a button's image must exceed to take a click.
constexpr float topBarHitThreshold = 0.95f;
constexpr float kCircleHitThreshold = 0.5f;
constexpr float toolHitThreshold = 0.05f;

const juce::Colour textComboPopupBackground { 0xf0ffffff };
const juce::Colour textComboPopupHighlight { 0xf0909090 };
const juce::Colour lightComboText { 0xfff0f0f0 };
const juce::Colour darkComboText { 0xff000000 };
const juce::Colour iconPopupBackground { 0xf8ffffff };
const juce::Colour iconPopupHighlight { 0xf0c0c0c0 };
const juce::Colour valueLabelText { 0xffffffff };
const juce::Colour keyReadOutText { 0xffd46f25 };
const juce::Colour triangleLabelText { 0xffc45e41 };

juce::Image embeddedImage (const char* data, int size)
{
    return juce::ImageCache::getFromMemory (data, size);
}

juce::File defaultUserSettingsFolder()
{
    return juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory).getChildFile (applicationName);
}

juce::File defaultSystemSettingsFolder()
{
    return juce::File ("/etc/xdg").getChildFile (applicationName);
}

std::function<WindowScale::MainDisplay()> desktopMainDisplay()
{
    // The whole display is kept for the next reading, which needs its exact
    // pixels; the limit reads only the part that the desktop's panels leave.
    return [wholeDisplay = WindowScale::MainDisplay()]() mutable
    {
        wholeDisplay = WindowScale::readMainDisplay (wholeDisplay);
        return DesktopWorkArea::applyTo (wholeDisplay);
    };
}

MainComponent::Environment withDefaults (MainComponent::Environment environment)
{
    if (environment.userSettingsFolder == juce::File())
        environment.userSettingsFolder = defaultUserSettingsFolder();

    if (environment.systemSettingsFolder == juce::File())
        environment.systemSettingsFolder = defaultSystemSettingsFolder();

    if (! environment.readMainDisplay)
        environment.readMainDisplay = desktopMainDisplay();

    return environment;
}
} // namespace

MainComponent::MainComponent()
    : MainComponent (Environment())
{
}

MainComponent::MainComponent (Environment environment)
    // Opaque, so that painting it copies pixels instead of blending them.
    : backgroundImage (embeddedImage (BinaryData::piano_bg_png, BinaryData::piano_bg_pngSize).convertedToFormat (juce::Image::RGB)),
      midi (logFileName, logEveryLevel, std::move (environment.midiPorts))
{
    environment = withDefaults (std::move (environment));
    userSettingsFolder = environment.userSettingsFolder;
    systemSettingsFolder = environment.systemSettingsFolder;
    readMainDisplay = std::move (environment.readMainDisplay);
    chooseFile = std::move (environment.chooseFile);

    // The link posts from "MidiProcessing"; the weak reference that a posted
    // message holds to the panel is made here, before two threads can ask for it.
    const juce::WeakReference<juce::MessageListener> warmUp (this);

    initProperties();
    loadProperties();
    initGlobalScaleFactor();

    splashScreen = new juce::SplashScreen (applicationName, embeddedImage (BinaryData::splash_png, BinaryData::splash_pngSize), true);

    setSize (PANEL_WIDTH, PANEL_HEIGHT);
    // The background covers the whole panel: nothing behind it needs painting.
    setOpaque (true);

    midi.addListener (this);
    midi.messageListener = this;

    lastDirectory = juce::File::getCurrentWorkingDirectory();

    buildControls();

    // The splash goes by itself; a click does not remove it sooner.
    splashScreen->deleteAfterDelay (juce::RelativeTime::seconds (splashSeconds), false);
}

MainComponent::~MainComponent()
{
    midi.disconnect();
    connectButton.removeListener (this);
    midi.removeListener (this);

    for (auto& slider : partSliders)
        slider.reset();

    keyBar.reset();
    triangleSlider.reset();

    // A splash still waiting for its delay goes with the panel.
    delete splashScreen.getComponent();
}

void MainComponent::buildControls()
{
    // One font object for every text: each control takes a copy at the height
    // set just before it.
    auto font = createPanelFont();

    font.setHeight (24.0f);
    configureTextComboBox (microPCombo, font, { 142, 3, 232, 28 }, lightComboText, true);
    microPCombo.setTextWidth (216);
    // The popup fills 1000 pixels of the panel's width from panel x 12.
    microPCombo.setMenuArea (12 - microPCombo.getX(), 0, 1000, 509);
    microPCombo.addListener (this);
    addAndMakeVisible (microPCombo);

    font.setHeight (19.0f);
    configureTextComboBox (templateCombo, font, { 244, 48, 82, 28 }, darkComboText, true);

    for (int row = 0; row < PIANO_MODEL_COUNT; ++row)
        templateCombo.addItem (PIANO_MODELCB_ITEM_NAME[row], PIANO_MODELCB_ITEM_ID[row] + 1);

    templateCombo.addListener (this);
    templateCombo.setSelectedItemIndex (0, juce::sendNotificationAsync);
    addAndMakeVisible (templateCombo);

    iconCombo.setBounds (398, 2, 36, 32);
    iconCombo.getLookAndFeel().setColour (juce::PopupMenu::backgroundColourId, iconPopupBackground);
    iconCombo.getLookAndFeel().setColour (juce::PopupMenu::highlightedBackgroundColourId, iconPopupHighlight);
    iconCombo.setItemSize (110, 100);
    iconCombo.setMenuArea (0, 0, 332, 504);

    for (int row = 0; row < PIANO_ICON_COUNT; ++row)
        iconCombo.addItem (PIANO_ICONCB_ITEM_ID[row], embeddedImage (PIANO_ICONCB_ITEM_IMAGEDATA[row], PIANO_ICONCB_ITEM_IMAGESIZE[row]));

    iconCombo.addListener (this);
    addAndMakeVisible (iconCombo);

    connectButton.setClickingTogglesState (true);
    addImageButton (connectButton, BinaryData::connect_off_png, BinaryData::connect_off_pngSize, BinaryData::connect_on_png, BinaryData::connect_on_pngSize, topBarHitThreshold, { 20, 0 });
    addImageButton (openButton, BinaryData::open_off_png, BinaryData::open_off_pngSize, BinaryData::open_on_png, BinaryData::open_on_pngSize, topBarHitThreshold, { 559, 2 });
    addImageButton (saveButton, BinaryData::save_off_png, BinaryData::save_off_pngSize, BinaryData::save_on_png, BinaryData::save_on_pngSize, topBarHitThreshold, { 615, 2 });

    for (int k = 0; k < KEY_PARAM_COUNT; ++k)
    {
        auto& button = kCircleButtons[(size_t) k];
        button.setClickingTogglesState (true);
        button.setRadioGroupId (kCircleRadioGroup, juce::dontSendNotification);
        addImageButton (button, BinaryData::k_circle_off_png, BinaryData::k_circle_off_pngSize, BinaryData::k_circle_on_png, BinaryData::k_circle_on_pngSize, kCircleHitThreshold, { PIANO_KCIRCLE_POS[k][0], PIANO_KCIRCLE_POS[k][1] });
    }

    // The shown per-key parameter is "Fine Tuning" from the start, before the
    // per-key combo's first notification arrives.
    kCircleButtons[(size_t) currentKeyParam].setToggleState (true, juce::dontSendNotification);

    font.setHeight (24.0f);

    for (int i = 0; i < PART_PARAM_COUNT; ++i)
    {
        auto& label = valueLabels[(size_t) i];
        label.setBounds (PIANO_VALUE_POS[i][0], PIANO_VALUE_POS[i][1], VALUE_LABEL_WIDTH, VALUE_LABEL_HEIGHT);
        label.setFont (font);
        label.setColour (juce::Label::textColourId, valueLabelText);
        label.setJustificationType (juce::Justification::centredRight);
        label.setText ("0", juce::dontSendNotification);
        label.addListener (static_cast<CustomLabel::Listener*> (this));
        addAndMakeVisible (label);
    }

    for (int i = 0; i < PART_PARAM_COUNT; ++i)
    {
        auto& slider = partSliders[(size_t) i];
        slider = std::make_unique<OSlider> (BinaryData::oslider_cur_png, BinaryData::oslider_cur_pngSize, nullptr, 0);
        slider->setBounds (PIANO_SLIDER_POS[i][0], PIANO_SLIDER_POS[i][1], PART_SLIDER_WIDTH, PART_SLIDER_HEIGHT);
        slider->setRange (KEY_VALUE_MIN, KEY_VALUE_MAX, 1);
        slider->setDoubleClickReturnValue (true, KEY_VALUE_CENTRE);
        slider->addListener (this);
        slider->setValue (KEY_VALUE_CENTRE, juce::dontSendNotification);
        addAndMakeVisible (*slider);
    }

    const auto kCircleOn = embeddedImage (BinaryData::k_circle_on_png, BinaryData::k_circle_on_pngSize);
    kCircleImage.setImage (kCircleOn);
    kCircleImage.setBounds (kCircleOn.getBounds().withPosition (22, 464));
    addAndMakeVisible (kCircleImage);

    font.setHeight (24.0f);
    configureTextComboBox (keyParamCombo, font, { 73, 470, 232, 27 }, lightComboText, true);

    for (int k = 0; k < KEY_PARAM_COUNT; ++k)
        keyParamCombo.addItem (PIANO_KEYCB_ITEM_NAME[k], k + 1);

    keyParamCombo.addListener (this);
    keyParamCombo.setSelectedItemIndex (0, juce::sendNotificationAsync);
    addAndMakeVisible (keyParamCombo);

    font.setHeight (22.0f);

    for (auto* label : { &keyNameLabel, &keyValueLabel })
    {
        label->setFont (font);
        label->setColour (juce::Label::textColourId, keyReadOutText);
    }

    keyNameLabel.setBounds (337, 473, 37, 21);
    keyNameLabel.setJustificationType (juce::Justification::centred);
    addAndMakeVisible (keyNameLabel);

    keyValueLabel.setBounds (396, 473, 75, 21);
    keyValueLabel.setJustificationType (juce::Justification::centredRight);
    addAndMakeVisible (keyValueLabel);

    addImageButton (scaleMinusButton, BinaryData::scalem_off_png, BinaryData::scalem_off_pngSize, BinaryData::scalem_on_png, BinaryData::scalem_on_pngSize, toolHitThreshold, { 714, 468 });
    addImageButton (scalePlusButton, BinaryData::scalep_off_png, BinaryData::scalep_off_pngSize, BinaryData::scalep_on_png, BinaryData::scalep_on_pngSize, toolHitThreshold, { 763, 468 });
    addImageButton (moveMinusButton, BinaryData::movem_off_png, BinaryData::movem_off_pngSize, BinaryData::movem_on_png, BinaryData::movem_on_pngSize, toolHitThreshold, { 826, 468 });
    addImageButton (movePlusButton, BinaryData::movep_off_png, BinaryData::movep_off_pngSize, BinaryData::movep_on_png, BinaryData::movep_on_pngSize, toolHitThreshold, { 875, 468 });
    addImageButton (randomButton, BinaryData::random_off_png, BinaryData::random_off_pngSize, BinaryData::random_on_png, BinaryData::random_on_pngSize, toolHitThreshold, { 602, 468 });
    addImageButton (resetButton, BinaryData::reset_off_png, BinaryData::reset_off_pngSize, BinaryData::reset_on_png, BinaryData::reset_on_pngSize, toolHitThreshold, { 490, 468 });

    noteButton.setClickingTogglesState (true);
    noteButton.setToggleState (displayKeybNotes, juce::dontSendNotification);
    addImageButton (noteButton, BinaryData::note_off_png, BinaryData::note_off_pngSize, BinaryData::note_on_png, BinaryData::note_on_pngSize, toolHitThreshold, { 942, 468 });

    keyBar = std::make_unique<KeyBar> (BinaryData::keybar_maskX1_png, BinaryData::keybar_maskX1_pngSize);
    keyBar->setBounds (670, 716, 213, 28);
    keyBar->setRange (0.0, 1.0, 0.0);
    keyBar->setValue (0.5, juce::dontSendNotification);
    keyBar->addListener (this);
    addAndMakeVisible (*keyBar);

    keyView.setBounds (KEY_VIEW_X, KEY_VIEW_Y, KEY_VIEW_WIDTH, KEY_VIEW_HEIGHT);
    keyView.addListener (this);
    addAndMakeVisible (keyView);

    triangleSlider = std::make_unique<VSlider> (BinaryData::triangle_png, BinaryData::triangle_pngSize, nullptr, 0);
    triangleSlider->setBounds (999, 490, 16, 228);
    triangleSlider->setRange (KEY_VALUE_MIN, KEY_VALUE_MAX, 1);
    triangleSlider->setDoubleClickReturnValue (true, KEY_VALUE_CENTRE);
    triangleSlider->addListener (this);
    triangleSlider->setValue (KEY_VALUE_CENTRE, juce::dontSendNotification);
    addAndMakeVisible (*triangleSlider);

    font.setHeight (18.0f);
    font.setBold (true);
    triangleLabel.setBounds (triangleLabelX, triangleLabelCentreTop, 33, 21);
    triangleLabel.setFont (font);
    triangleLabel.setColour (juce::Label::textColourId, triangleLabelText);
    triangleLabel.setJustificationType (juce::Justification::centredRight);
    setTriangleLabel (0);
    addAndMakeVisible (triangleLabel);

    addImageButton (zoomInButton, BinaryData::zoom_in_off_png, BinaryData::zoom_in_off_pngSize, BinaryData::zoom_in_on_png, BinaryData::zoom_in_on_pngSize, toolHitThreshold, { 910, 715 });
    addImageButton (zoomOutButton, BinaryData::zoom_out_off_png, BinaryData::zoom_out_off_pngSize, BinaryData::zoom_out_on_png, BinaryData::zoom_out_on_pngSize, toolHitThreshold, { 955, 715 });

    // Still bold: the style stays on the font object.
    font.setHeight (15.0f);
    configureTextComboBox (scaleCombo, font, { 31, 720, 63, 25 }, lightComboText, false);

    for (const auto factor : GLOBALSCALECB_ITEM)
        scaleCombo.addItem (juce::String (factor) + "%", factor);

    scaleCombo.addListener (this);
    scaleCombo.setSelectedId (globalScaleFactor, juce::dontSendNotification);
    addAndMakeVisible (scaleCombo);

    // Added last, the mask lies over every control below the top bar.
    disabledMask.setImage (embeddedImage (BinaryData::disabled_mask_png, BinaryData::disabled_mask_pngSize));
    disabledMask.setBounds (0, PANEL_TOP_BAR_HEIGHT, PANEL_WIDTH, PANEL_HEIGHT - PANEL_TOP_BAR_HEIGHT);
    addChildComponent (disabledMask);
}

juce::Font MainComponent::createPanelFont()
{
    return juce::Font (juce::Typeface::createSystemTypefaceFor (BinaryData::VELMORN_ttf, BinaryData::VELMORN_ttfSize));
}

void MainComponent::addImageButton (juce::ImageButton& button, const void* offData, int offSize, const void* onData, int onSize, float hitThreshold, juce::Point<int> topLeft)
{
    const auto noOverlay = juce::Colours::transparentBlack;
    const auto off = juce::ImageCache::getFromMemory (offData, offSize);
    const auto on = juce::ImageCache::getFromMemory (onData, onSize);

    // The button takes its off image's size; the normal image also serves
    // while the mouse is over it.
    button.setImages (true, false, false, off, 1.0f, noOverlay, {}, 1.0f, noOverlay, on, 1.0f, noOverlay, hitThreshold);
    button.setTopLeftPosition (topLeft);
    button.addListener (this);
    addAndMakeVisible (button);
}

void MainComponent::configureTextComboBox (CustomComboBox& box, const juce::Font& font, juce::Rectangle<int> bounds, juce::Colour textColour, bool centred)
{
    // The font first: the box applies it when it is laid out.
    box.setFont (font);
    box.setBounds (bounds);
    box.getLookAndFeel().setColour (juce::PopupMenu::backgroundColourId, textComboPopupBackground);
    box.getLookAndFeel().setColour (juce::PopupMenu::highlightedBackgroundColourId, textComboPopupHighlight);
    box.setColour (juce::ComboBox::textColourId, textColour);

    if (centred)
        box.setJustificationType (juce::Justification::centred);

    box.setEditableText (false);
    box.setTextWhenNothingSelected ({});
    box.setTextWhenNoChoicesAvailable ("(no choices)");
}

void MainComponent::paint (juce::Graphics& g)
{
    const auto scale = g.getInternalContext().getPhysicalPixelScaleFactor();

    if (juce::approximatelyEqual (scale, 1.0f))
    {
        const auto width = backgroundImage.getWidth();
        const auto height = backgroundImage.getHeight();
        g.drawImage (backgroundImage, 0, 0, width, height, 0, 0, width, height);
        return;
    }

    // Resampling the whole background at every paint would cost tens of
    // milliseconds at 200 %: it is resampled once per scale, then copied.
    if (! juce::approximatelyEqual (scale, scaledBackgroundScale))
    {
        scaledBackground = backgroundImage.rescaled (juce::roundToInt ((float) backgroundImage.getWidth() * scale),
                                                     juce::roundToInt ((float) backgroundImage.getHeight() * scale),
                                                     juce::Graphics::highResamplingQuality);
        scaledBackgroundScale = scale;
    }

    g.drawImageTransformed (scaledBackground, juce::AffineTransform::scale (1.0f / scale));
}

juce::String MainComponent::signedNumberToString (int n)
{
    return n > 0 ? "+" + juce::String (n) : juce::String (n);
}

void MainComponent::setValueLabel (int i, int n)
{
    if (juce::isPositiveAndBelow (i, PART_PARAM_COUNT))
        valueLabels[(size_t) i].setText (signedNumberToString (n), juce::dontSendNotification);
}

void MainComponent::setTriangleLabel (int n)
{
    triangleLabel.setText (signedNumberToString (n), juce::dontSendNotification);
    triangleLabel.setTopLeftPosition (triangleLabel.getX(), triangleLabelCentreTop - triangleLabelStep * n);
}
