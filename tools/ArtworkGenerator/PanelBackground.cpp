#include "PanelBackground.h"

#include "ArtStyle.h"
#include "app/PanelTables.h"

namespace
{
constexpr int topBarHeight = PANEL_TOP_BAR_HEIGHT;
constexpr int maskHeight = PANEL_HEIGHT - topBarHeight;

constexpr int thumbRadius = 24;
constexpr int kCircleSize = 38;

// A group of part parameters framed together, with the caption of each slider.
struct Group
{
    const char* title;
    std::initializer_list<int> params;
    int ruleEnd = 0; // where the rule after the title stops, 0: at the frame
};

// The model choice shares the first group's title row.
constexpr int modelCaptionLeft = 186;

const Group groups[] = {
    { "GENERAL", { 16, 17 }, modelCaptionLeft - 6 },
    { "HAMMER", { 0, 1, 2, 3 } },
    { "STRING TYPE", { 6, 7, 8 } },
    { "SIZE", { 13, 14, 15 } },
    { "RESONANCE", { 9, 10, 11, 12 } },
    { "TUNING", { 4, 5 } },
};

const char* const sliderCaptions[PART_PARAM_COUNT] = {
    "Hardness",
    "Mass",
    "Knock",
    "Hit Point",
    "Unison",
    "Stretch",
    "String Stiffness",
    "Duplex Vibration",
    "Longitudinal Vibration",
    "String",
    "Damper Noise",
    "Damper",
    "Damper Size",
    "String Length",
    "Absorption",
    "Soundboard",
    "Volume",
    "Fine Tuning",
};

constexpr int groupPadding = 8;
constexpr int firstGroupTop = 44;
constexpr int headerHeight = 36;

void fillPanel (juce::Graphics& g)
{
    g.setGradientFill (juce::ColourGradient (ArtStyle::panelTop, 0.0f, 0.0f, ArtStyle::panelBottom, 0.0f, (float) PANEL_HEIGHT, false));
    g.fillAll();

    g.setColour (ArtStyle::topBar);
    g.fillRect (0, 0, PANEL_WIDTH, topBarHeight);
    g.setColour (ArtStyle::accentDark.withAlpha (0.7f));
    g.fillRect (0, topBarHeight - 1, PANEL_WIDTH, 1);
}

void drawTopBar (juce::Graphics& g)
{
    // Microperformance list; the arrow sits in the part of the box that its text leaves free.
    ArtStyle::drawField (g, { 142.0f, 3.0f, 232.0f, 28.0f }, juce::Colour (0xff1c1e23), ArtStyle::fieldBorder);
    g.setColour (ArtStyle::fieldBorder);
    g.fillRect (357, 7, 1, 20);
    ArtStyle::drawArrow (g, { 358.0f, 3.0f, 16.0f, 28.0f }, ArtStyle::accent);

    // Icon of the microperformance.
    ArtStyle::drawField (g, { 395.0f, 0.0f, 42.0f, 36.0f }, juce::Colour (0xff1c1e23), ArtStyle::fieldBorder);

    g.setColour (ArtStyle::dimCaption);
    g.setFont (ArtStyle::font (14.0f));
    g.drawText ("FILE", 505, 2, 48, 33, juce::Justification::centredRight);

    g.setColour (ArtStyle::caption);
    g.setFont (ArtStyle::font (26.0f).withExtraKerningFactor (0.12f));
    g.drawText ("VELMOR", 760, 0, 150, topBarHeight, juce::Justification::centredRight);
    g.setColour (ArtStyle::accent);
    g.setFont (ArtStyle::font (15.0f).withExtraKerningFactor (0.08f));
    g.drawText ("PIANO EDITOR", 916, 0, 96, topBarHeight, juce::Justification::centredLeft);
}

juce::Rectangle<int> groupBounds (const Group& group)
{
    const int first = *group.params.begin();
    const int last = *(group.params.end() - 1);
    const int x = PIANO_SLIDER_POS[first][0] - groupPadding;
    const int top = PIANO_SLIDER_POS[first][1] - headerHeight < firstGroupTop + headerHeight ? firstGroupTop : PIANO_SLIDER_POS[first][1] - headerHeight;
    const int right = PIANO_SLIDER_POS[first][0] + 275 + kCircleSize + groupPadding - 2;
    const int bottom = PIANO_SLIDER_POS[last][1] + PART_SLIDER_HEIGHT + 1;
    return { x, top, right - x, bottom - top };
}

void drawSliderTrack (juce::Graphics& g, int x, int y)
{
    const int left = x + thumbRadius;
    const int travel = PART_SLIDER_WIDTH - 2 * thumbRadius;
    const int centreY = y + PART_SLIDER_HEIGHT / 2;

    g.setColour (juce::Colour (0xff07080a));
    g.fillRoundedRectangle ((float) left - 4.0f, (float) centreY - 2.5f, (float) travel + 8.0f, 5.0f, 2.5f);
    g.setColour (juce::Colours::white.withAlpha (0.1f));
    g.drawHorizontalLine (centreY + 3, (float) left - 2.0f, (float) (left + travel + 2));

    // A tick every ten steps, the centre one taller.
    constexpr int steps = KEY_VALUE_MAX - KEY_VALUE_MIN;
    for (int v = 0; v <= steps; v += 10)
    {
        const int tickX = left + v * travel / steps;
        const bool centre = v == steps / 2;
        g.setColour (centre ? ArtStyle::accentDark : juce::Colour (0xff4a4e57));
        g.fillRect (tickX, y + 40, 1, centre ? 6 : 4);
    }
}

void drawGroups (juce::Graphics& g)
{
    for (const auto& group : groups)
    {
        const auto box = groupBounds (group).toFloat();
        g.setColour (ArtStyle::groupFill);
        g.fillRoundedRectangle (box, 6.0f);
        g.setColour (ArtStyle::groupBorder);
        g.drawRoundedRectangle (box.reduced (0.5f), 6.0f, 1.0f);

        const auto headerFont = ArtStyle::font (16.0f).withExtraKerningFactor (0.1f);
        const int headerX = (int) box.getX() + 10;
        const int headerY = (int) box.getY() + 5;
        const int titleWidth = juce::roundToInt (headerFont.getStringWidthFloat (group.title)) + 2;
        g.setColour (ArtStyle::accent);
        g.setFont (headerFont);
        g.drawText (group.title, headerX, headerY, titleWidth, 18, juce::Justification::centredLeft);
        g.setColour (ArtStyle::accentDark.withAlpha (0.5f));
        const int ruleStart = headerX + titleWidth + 6;
        const int ruleEnd = group.ruleEnd != 0 ? group.ruleEnd : (int) box.getRight() - 12;
        g.fillRect (ruleStart, headerY + 9, ruleEnd - ruleStart, 1);

        for (auto i : group.params)
        {
            const int x = PIANO_SLIDER_POS[i][0];
            const int y = PIANO_SLIDER_POS[i][1];
            g.setColour (ArtStyle::caption);
            g.setFont (ArtStyle::font (15.0f));
            g.drawText (sliderCaptions[i], x + 4, y - 13, PART_SLIDER_WIDTH - 8, 14, juce::Justification::centredLeft);

            drawSliderTrack (g, x, y);

            const auto value = juce::Rectangle<int> (PIANO_VALUE_POS[i][0], PIANO_VALUE_POS[i][1], VALUE_LABEL_WIDTH, VALUE_LABEL_HEIGHT);
            ArtStyle::drawField (g, value.expanded (1).toFloat(), ArtStyle::fieldFill, ArtStyle::fieldBorder);
        }
    }
}

void drawModelChoice (juce::Graphics& g)
{
    g.setColour (ArtStyle::dimCaption);
    g.setFont (ArtStyle::font (15.0f));
    g.drawText ("Model", modelCaptionLeft, 48, 52, 28, juce::Justification::centredRight);

    juce::Rectangle<float> box { 244.0f, 48.0f, 82.0f, 28.0f };
    ArtStyle::drawField (g, box, ArtStyle::lightField, ArtStyle::lightFieldBorder);
    ArtStyle::drawArrow (g, box.removeFromRight (12.0f).translated (-2.0f, 0.0f), juce::Colour (0xff3a3630));
}

void drawKeyEditorFrame (juce::Graphics& g)
{
    // Per-key parameter list beside its k-circle mark, and the key under the mouse.
    const juce::Rectangle<float> list { 73.0f, 470.0f, 232.0f, 27.0f };
    ArtStyle::drawField (g, list, juce::Colour (0xff1c1e23), ArtStyle::fieldBorder);
    ArtStyle::drawArrow (g, { 288.0f, 470.0f, 16.0f, 27.0f }, ArtStyle::accent);

    ArtStyle::drawField (g, { 335.0f, 472.0f, 41.0f, 23.0f }, ArtStyle::fieldFill, ArtStyle::fieldBorder);
    ArtStyle::drawField (g, { 394.0f, 472.0f, 79.0f, 23.0f }, ArtStyle::fieldFill, ArtStyle::fieldBorder);
    g.setColour (ArtStyle::dimCaption);
    g.setFont (ArtStyle::font (13.0f));
    g.drawText ("=", 376, 472, 18, 23, juce::Justification::centred);

    // Key view: one row every 25 values, the centre row brighter.
    const juce::Rectangle<int> view { KEY_VIEW_X, KEY_VIEW_Y, KEY_VIEW_WIDTH, KEY_VIEW_HEIGHT };
    g.setColour (juce::Colour (0xff0c0d10));
    g.fillRect (view.expanded (3));
    g.setColour (ArtStyle::fieldBorder);
    g.drawRect (view.expanded (3), 1);
    for (int v = KEY_VALUE_MIN; v <= KEY_VALUE_MAX; v += 25)
    {
        g.setColour (juce::Colours::white.withAlpha (v == KEY_VALUE_CENTRE ? 0.14f : 0.06f));
        g.fillRect (view.getX(), view.getY() + (KEY_VALUE_MAX - v) * 2, view.getWidth(), 1);
    }

    // Scale of the offset slider: its triangle's tip runs from 504 to 704.
    g.setColour (juce::Colour (0xff07080a));
    g.fillRect (1009, 503, 3, 203);
    g.setColour (ArtStyle::fieldBorder);
    g.drawRect (1008, 502, 5, 205, 1);
    for (int v = KEY_VALUE_MIN; v <= KEY_VALUE_MAX; v += 25)
    {
        g.setColour (v == KEY_VALUE_CENTRE ? ArtStyle::accentDark : juce::Colour (0xff4a4e57));
        g.fillRect (1013, 504 + (KEY_VALUE_MAX - v) * 2, v == KEY_VALUE_CENTRE ? 7 : 4, 1);
    }
}

void drawKeyBarPicture (juce::Graphics& g)
{
    // The 88 keys in miniature under the key bar, which frames the shown stretch.
    const juce::Rectangle<float> bar { 670.0f, 716.0f, 213.0f, 28.0f };
    g.setColour (juce::Colour (0xff07080a));
    g.fillRect (bar);

    const auto keys = bar.reduced (2.0f, 2.0f);
    constexpr int whiteKeys = 52;
    const float whiteWidth = keys.getWidth() / (float) whiteKeys;
    for (int w = 0; w < whiteKeys; ++w)
    {
        g.setColour (juce::Colour (0xffb9b6ae));
        g.fillRect (keys.getX() + (float) w * whiteWidth + 0.5f, keys.getY(), whiteWidth - 0.8f, keys.getHeight());
    }

    // Black keys follow the white ones from A0: a black key after A, C, D, F and G.
    static const bool blackAfter[7] = { true, false, true, true, false, true, true }; // A B C D E F G
    for (int w = 0; w < whiteKeys - 1; ++w)
    {
        if (! blackAfter[w % 7])
            continue;
        g.setColour (juce::Colour (0xff17181b));
        g.fillRect (keys.getX() + ((float) w + 0.68f) * whiteWidth, keys.getY(), whiteWidth * 0.64f, keys.getHeight() * 0.6f);
    }

    g.setColour (ArtStyle::dimCaption);
    g.setFont (ArtStyle::font (14.0f));
    g.drawText ("KEY RANGE", 586, 716, 78, 28, juce::Justification::centredRight);
}

void drawBottomBar (juce::Graphics& g)
{
    const juce::Rectangle<float> scale { 31.0f, 720.0f, 63.0f, 25.0f };
    ArtStyle::drawField (g, scale, juce::Colour (0xff1c1e23), ArtStyle::fieldBorder);
    ArtStyle::drawArrow (g, { 80.0f, 720.0f, 12.0f, 25.0f }, ArtStyle::accent);

    g.setColour (ArtStyle::dimCaption);
    g.setFont (ArtStyle::font (14.0f));
    g.drawText ("WINDOW SCALE", 100, 720, 100, 25, juce::Justification::centredLeft);
}
} // namespace

juce::Image PanelBackground::background()
{
    juce::Image image (juce::Image::ARGB, PANEL_WIDTH, PANEL_HEIGHT, true);
    juce::Graphics g (image);
    fillPanel (g);
    drawTopBar (g);
    drawGroups (g);
    drawModelChoice (g);
    drawKeyEditorFrame (g);
    drawKeyBarPicture (g);
    drawBottomBar (g);
    return image;
}

juce::Image PanelBackground::splash()
{
    juce::Image image (juce::Image::ARGB, PANEL_WIDTH, PANEL_HEIGHT, true);
    juce::Graphics g (image);

    g.setGradientFill (juce::ColourGradient (juce::Colour (0xff2a2c33), PANEL_WIDTH * 0.5f, 260.0f, juce::Colour (0xff0c0d10), 0.0f, (float) PANEL_HEIGHT, true));
    g.fillAll();

    g.setColour (ArtStyle::caption);
    g.setFont (ArtStyle::font (120.0f).withExtraKerningFactor (0.15f));
    g.drawText ("VELMOR", 0, 180, PANEL_WIDTH, 140, juce::Justification::centred);

    g.setColour (ArtStyle::accent);
    g.setFont (ArtStyle::font (40.0f).withExtraKerningFactor (0.2f));
    g.drawText ("PIANO EDITOR", 0, 320, PANEL_WIDTH, 50, juce::Justification::centred);
    g.fillRect (412, 382, 200, 2);

    g.setColour (ArtStyle::dimCaption);
    g.setFont (ArtStyle::font (22.0f));
    g.drawText ("Version " VELMOR_PRODUCT_VERSION, 0, 396, PANEL_WIDTH, 30, juce::Justification::centred);

    // A keyboard along the bottom edge.
    const juce::Rectangle<float> keys { 62.0f, 560.0f, 900.0f, 120.0f };
    constexpr int whiteKeys = 36;
    const float whiteWidth = keys.getWidth() / (float) whiteKeys;
    for (int w = 0; w < whiteKeys; ++w)
    {
        const auto key = juce::Rectangle<float> (keys.getX() + (float) w * whiteWidth + 1.0f, keys.getY(), whiteWidth - 2.0f, keys.getHeight());
        g.setGradientFill (juce::ColourGradient (juce::Colour (0xffe6e2d8), 0.0f, key.getY(), juce::Colour (0xffa8a59d), 0.0f, key.getBottom(), false));
        g.fillRoundedRectangle (key, 2.0f);
    }
    static const bool blackAfter[7] = { true, true, false, true, true, true, false }; // C D E F G A B
    for (int w = 0; w < whiteKeys - 1; ++w)
    {
        if (! blackAfter[w % 7])
            continue;
        g.setColour (juce::Colour (0xff121316));
        g.fillRoundedRectangle (keys.getX() + ((float) w + 0.65f) * whiteWidth, keys.getY(), whiteWidth * 0.7f, keys.getHeight() * 0.62f, 2.0f);
    }
    g.setColour (ArtStyle::accent);
    g.fillRect (keys.getX(), keys.getY() - 4.0f, keys.getWidth(), 3.0f);

    return image;
}

juce::Image PanelBackground::disabledMask()
{
    juce::Image image (juce::Image::ARGB, PANEL_WIDTH, maskHeight, true);
    juce::Graphics g (image);

    g.fillAll (juce::Colour (0x80404040));

    const juce::Rectangle<float> box { 262.0f, 265.0f, 500.0f, 130.0f };
    g.setColour (juce::Colour (0xf5142447));
    g.fillRoundedRectangle (box, 10.0f);
    g.setColour (juce::Colour (0xff5b77b0));
    g.drawRoundedRectangle (box.reduced (1.0f), 10.0f, 2.0f);

    g.setColour (juce::Colours::white);
    g.setFont (ArtStyle::font (30.0f));
    g.drawText ("This sound cannot be edited", box.withHeight (70.0f).translated (0.0f, 14.0f).toNearestInt(), juce::Justification::centred);
    g.setColour (juce::Colour (0xffc8d4ee));
    g.setFont (ArtStyle::font (20.0f));
    g.drawText ("Only the instrument's piano sounds can be edited.", box.withTrimmedTop (70.0f).withHeight (40.0f).toNearestInt(), juce::Justification::centred);
    return image;
}
