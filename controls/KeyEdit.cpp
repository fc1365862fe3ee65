#include "controls/KeyEdit.h"

#include "BinaryData.h"
#include "controls/PMLookAndFeel.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr int markerValueCount = 128;
// A left press this close to a break point's row (exclusive) takes the break point.
constexpr int markerHitDistance = 9;
constexpr float centreLineY = 100.0f;
constexpr int centreLineHeight = 2;
constexpr int markerOutline = 2;
constexpr float menuFontHeight = 26.0f;

constexpr juce::uint32 blackColumnColour = 0xff24211a;
constexpr juce::uint32 whiteColumnColour = 0xff312e27;
constexpr juce::uint32 soundingBlackColour = 0xdb000000;
constexpr juce::uint32 soundingWhiteColour = 0x50ffffff;
constexpr juce::uint32 centreLineColour = 0xffff4800;
constexpr juce::uint32 barColour = 0x4045a1ff;
constexpr juce::uint32 markerColour = 0xffcd7b3f;
constexpr juce::uint32 menuBackgroundColour = 0xff000000;
constexpr juce::uint32 menuTextColour = 0xffd0d0d0;
constexpr juce::uint32 menuHighlightColour = 0xff404040;
constexpr juce::uint32 menuHighlightedTextColour = 0xffffffff;

constexpr std::array<juce::uint8, KeyView::keyCount> makeKeyBlack()
{
    std::array<juce::uint8, KeyView::keyCount> table {};

    for (int k = 0; k < KeyView::keyCount; ++k)
    {
        const auto pitchClass = (k + PianoKeys::firstKeyNote) % 12;
        const auto black = pitchClass == 1 || pitchClass == 3 || pitchClass == 6 || pitchClass == 8 || pitchClass == 10;
        table[(size_t) k] = black ? 1 : 0;
    }

    return table;
}

// The top row of each rounded value, limited to the editor's height.
constexpr std::array<juce::uint8, markerValueCount> makeMarkerToY()
{
    std::array<juce::uint8, markerValueCount> table {};

    for (int v = 0; v < markerValueCount; ++v)
        table[(size_t) v] = (juce::uint8) std::clamp (228 - 2 * v, 0, 202);

    return table;
}

constexpr auto KEY_BLACK = makeKeyBlack();
constexpr auto KEY_MARKER_TO_Y = makeMarkerToY();

float limitValue (float v)
{
    return juce::jlimit ((float) KeyView::valueMin, (float) KeyView::valueMax, v);
}

int roundHalfToEven (float v)
{
    return (int) std::nearbyint (v);
}
} // namespace

KeyView::KeyEdit::KeyEdit()
    : menuLookAndFeel (std::make_unique<PMLookAndFeel>())
{
    background = juce::ImageCache::getFromMemory (BinaryData::keysX1_png, BinaryData::keysX1_pngSize);
    setBackground (background);

    values.fill ((float) valueCentre);
    savedValues.fill ((float) valueCentre);
    breakPoint.fill (false);
    noteOn.fill (false);

    breakPointMenu.setLookAndFeel (menuLookAndFeel.get());
    menuLookAndFeel->font = juce::Font (juce::Typeface::createSystemTypefaceFor (BinaryData::VELMORN_ttf, BinaryData::VELMORN_ttfSize))
                                .withHeight (menuFontHeight);
    menuLookAndFeel->setColour (juce::PopupMenu::backgroundColourId, juce::Colour (menuBackgroundColour));
    menuLookAndFeel->setColour (juce::PopupMenu::textColourId, juce::Colour (menuTextColour));
    menuLookAndFeel->setColour (juce::PopupMenu::highlightedBackgroundColourId, juce::Colour (menuHighlightColour));
    menuLookAndFeel->setColour (juce::PopupMenu::highlightedTextColourId, juce::Colour (menuHighlightedTextColour));
}

KeyView::KeyEdit::~KeyEdit()
{
    // A menu still open holds our look-and-feel; it must let go before the look-and-feel dies.
    breakPointMenu.setLookAndFeel (nullptr);

    auto& desktop = juce::Desktop::getInstance();

    for (int i = 0; i < desktop.getNumComponents(); ++i)
    {
        if (&desktop.getComponent (i)->getLookAndFeel() == menuLookAndFeel.get())
        {
            juce::PopupMenu::dismissAllActiveMenus();
            break;
        }
    }
}

void KeyView::KeyEdit::setBackground (const juce::Image& image)
{
    background = image;
    setBounds (image.getBounds());
}

void KeyView::KeyEdit::setScale (float factor)
{
    for (auto& v : values)
        v = limitValue ((v - (float) valueCentre) * factor + (float) valueCentre);

    repaint();
}

void KeyView::KeyEdit::setMove (float amount)
{
    for (auto& v : values)
        v = limitValue (v + amount);

    repaint();
}

void KeyView::KeyEdit::setKeyValues (unsigned char first, const unsigned char* source, unsigned char count)
{
    if (first >= keyCount || source == nullptr)
        return;

    const auto n = std::min (keyCount - first, (int) count);

    for (int i = 0; i < n; ++i)
        values[(size_t) (first + i)] = (float) source[i];

    repaint (first * keyWidth, 0, n * keyWidth, keyHeight);
}

juce::Point<int> KeyView::KeyEdit::positionOf (const juce::MouseEvent& e) const
{
    // A pointer on the right or bottom edge rounds to the width or height itself.
    const auto position = getLocalPoint (e.eventComponent, e.position).roundToInt();
    return { juce::jlimit (0, std::max (0, getWidth() - 1), position.x),
             juce::jlimit (0, keyHeight - 1, position.y) };
}

int KeyView::KeyEdit::keyAt (int x) const
{
    return juce::jlimit (0, keyCount - 1, x / keyWidth);
}

int KeyView::KeyEdit::heightOffset() const
{
    return (int) (2.0f * valueOffset);
}

int KeyView::KeyEdit::limitHeight (int y) const
{
    const auto lowest = (float) keyHeight - 2.0f * valueOffset;
    const auto highest = -2.0f * valueOffset;

    if (valueOffset > 0.0f && (float) y > lowest)
        return (int) lowest;

    if (valueOffset <= 0.0f && (float) y < highest)
        return (int) highest;

    return y;
}

float KeyView::KeyEdit::valueForHeight (int yv) const
{
    // The offset may change during a drag, so a height carried over from an
    // earlier step can fall outside the editor.
    const auto limited = juce::jlimit (0, (int) keyHeight, yv);
    return (float) (valueMax - (limited * 100) / (keyHeight - 1));
}

void KeyView::KeyEdit::mouseMove (const juce::MouseEvent& e)
{
    reportHover (keyAt (positionOf (e).x));
}

void KeyView::KeyEdit::mouseDown (const juce::MouseEvent& e)
{
    const auto position = positionOf (e);
    const auto k = keyAt (position.x);
    draggingMarker = false;
    leftDrag = e.mods.isLeftButtonDown();

    if (leftDrag)
    {
        if (breakPoint[(size_t) k])
        {
            // A held value above 127 takes the table's last entry, the top row.
            const auto r = juce::jlimit (0, markerValueCount - 1, roundHalfToEven (values[(size_t) k]));
            const auto markerY = (int) ((float) KEY_MARKER_TO_Y[(size_t) r] - 2.0f * valueOffset);
            draggingMarker = markerY - markerHitDistance < position.y && position.y < markerY + markerHitDistance;

            markerKey = (juce::uint8) k;
            downPos = position;
            savedValues = values;

            prevBreakPoint = -1;

            for (int i = k - 1; i >= 0; --i)
            {
                if (breakPoint[(size_t) i])
                {
                    prevBreakPoint = i;
                    break;
                }
            }

            nextBreakPoint = keyCount;

            for (int i = k + 1; i < keyCount; ++i)
            {
                if (breakPoint[(size_t) i])
                {
                    nextBreakPoint = i;
                    break;
                }
            }
        }

        lastDragPos = position;
        mouseDrag (e);
    }
    else if (e.mods.isRightButtonDown())
    {
        downPos = position;
        breakPointMenu.clear();
        breakPointMenu.addItem (1, breakPoint[(size_t) k] ? "Remove this break point" : "Add a break point");
        breakPointMenu.addItem (2, "Clear all break points");
        breakPointMenu.showMenuAsync (juce::PopupMenu::Options(),
                                      juce::ModalCallbackFunction::forComponent (popupItemChosenCallback, this));
    }
}

void KeyView::KeyEdit::mouseDrag (const juce::MouseEvent& e)
{
    if (! leftDrag)
        return;

    // A Shift released outside the editor reaches us only through the event.
    shiftDown = e.mods.isShiftDown();

    const auto position = positionOf (e);
    const auto k = keyAt (position.x);

    if (draggingMarker)
        breakPointDrag (k, position.x, position.y);
    else
        paintingDrag (k, position.x, position.y);
}

void KeyView::KeyEdit::paintingDrag (int k, int x, int y)
{
    const auto p = keyAt (lastDragPos.x);

    if (shiftDown)
        y = lastDragPos.y;

    y = limitHeight (y);

    const auto yv = y + heightOffset();
    const auto before = values[(size_t) k];
    values[(size_t) k] = valueForHeight (yv);

    if (! reportHover (k))
        return;

    if (k != p)
    {
        const auto oldYv = lastDragPos.y + heightOffset();
        const auto towardPrevious = k > p ? -1 : 1;

        for (auto i = k + towardPrevious; i != p; i += towardPrevious)
        {
            const auto yi = oldYv + ((i - p) * (yv - oldYv)) / (k - p);
            values[(size_t) i] = valueForHeight (yi);

            if (! reportHover (i))
                return;
        }
    }

    lastDragPos = { x, y };

    if (k > p)
    {
        repaintKeys (p + 1, k);
        sendValuesChanged ((unsigned char) p, (unsigned char) k, true);
    }
    else if (k < p)
    {
        repaintKeys (k, p - 1);
        sendValuesChanged ((unsigned char) k, (unsigned char) p, true);
    }
    else
    {
        repaintKeys (k, k);
        sendValuesChanged ((unsigned char) k, (unsigned char) k, before != values[(size_t) k]);
    }
}

void KeyView::KeyEdit::breakPointDrag (int k, int x, int y)
{
    const auto d = keyAt (downPos.x);
    const auto n = juce::jlimit (prevBreakPoint + 1, nextBreakPoint - 1, k);

    if (n != markerKey)
    {
        if (markerKey < keyCount)
            breakPoint[markerKey] = false;

        breakPoint[(size_t) n] = true;
        markerKey = (juce::uint8) n;
    }

    if (shiftDown)
        y = lastDragPos.y;

    y = limitHeight (y);

    const auto dv = (float) (downPos.y - y) * 100.0f / (float) (keyHeight - 1);
    const auto before = values[(size_t) n];

    // Between each neighbour and the marker the curve saved at the press is
    // stretched to the new distance and raised by a ramp of the vertical change.
    if (prevBreakPoint < 0)
    {
        for (int i = n - 1; i >= 0; --i)
            values[(size_t) i] = savedValues[(size_t) std::max (i + d - n, 0)] + dv;
    }
    else if (prevBreakPoint + 1 < n)
    {
        const auto left = prevBreakPoint;
        const auto step = (float) (d - left) / (float) (n - left);
        const auto ramp = dv / (float) (n - left);
        auto s = (float) left;

        for (int i = left + 1; i < n; ++i)
        {
            s += step;
            const auto j = (int) s;
            const auto f = s - (float) j;
            values[(size_t) i] = (1.0f - f) * savedValues[(size_t) j]
                                 + f * savedValues[(size_t) std::min (j + 1, keyCount - 1)]
                                 + (float) (i - left) * ramp;
        }
    }

    if (nextBreakPoint >= keyCount)
    {
        for (int i = n + 1; i < keyCount; ++i)
            values[(size_t) i] = savedValues[(size_t) std::min (i + d - n, keyCount - 1)] + dv;
    }
    else if (n < nextBreakPoint - 1)
    {
        const auto right = nextBreakPoint;
        const auto step = (float) (right - d) / (float) (right - n);
        const auto ramp = dv / (float) (right - n);
        auto s = (float) right;

        for (int i = right - 1; i > n; --i)
        {
            s -= step;
            const auto j = (int) s;
            const auto f = s - (float) j;
            values[(size_t) i] = (1.0f - f) * savedValues[(size_t) j]
                                 + f * savedValues[(size_t) std::min (j + 1, keyCount - 1)]
                                 + (float) (right - i) * ramp;
        }
    }

    values[(size_t) n] = valueForHeight (y + heightOffset());

    // Each step starts again from the saved curve, so limiting here loses nothing
    // and keeps every reported value within range.
    for (int i = prevBreakPoint + 1; i < nextBreakPoint; ++i)
        values[(size_t) i] = limitValue (values[(size_t) i]);

    if (! reportHover (n))
        return;

    const auto first = prevBreakPoint + 1;
    const auto last = nextBreakPoint - 1;
    lastDragPos = { x, y };
    repaintKeys (first, last);
    sendValuesChanged ((unsigned char) first, (unsigned char) last, before != values[(size_t) n]);
}

void KeyView::KeyEdit::mouseUp (const juce::MouseEvent&)
{
    limitValues();
    leftDrag = false;
}

void KeyView::KeyEdit::limitValues()
{
    for (auto& v : values)
        v = limitValue (v);
}

void KeyView::KeyEdit::modifierKeysChanged (const juce::ModifierKeys& modifiers)
{
    shiftDown = modifiers.isShiftDown();
}

bool KeyView::KeyEdit::reportHover (int key)
{
    return sendMouseOverKey ((unsigned char) key, (int) (values[(size_t) key] + valueOffset));
}

bool KeyView::KeyEdit::sendMouseOverKey (unsigned char key, int value)
{
    const auto limited = (juce::uint8) juce::jlimit (valueMin, valueMax, value);

    if (key == lastOverKey && limited == lastOverValue)
        return true;

    juce::Component::BailOutChecker checker (this);

    if (owner != nullptr)
        owner->sendMouseOverKey (key, limited);

    if (checker.shouldBailOut())
        return false;

    lastOverKey = key;
    lastOverValue = limited;
    return true;
}

void KeyView::KeyEdit::sendValuesChanged (unsigned char firstKey, unsigned char lastKey, bool keyChanged)
{
    // Repeats of a single key are skipped only while the step left that key as it was.
    if (firstKey == lastKey && ! keyChanged && values[firstKey] == (float) lastSentValue && firstKey == lastSentKey)
        return;

    juce::Component::BailOutChecker checker (this);

    if (owner != nullptr)
        owner->sendValuesChanged (firstKey, lastKey);

    if (checker.shouldBailOut())
        return;

    lastSentValue = (juce::uint8) (int) values[firstKey];
    lastSentKey = firstKey;
}

void KeyView::KeyEdit::repaintKeys (int firstKey, int lastKey)
{
    repaint (firstKey * keyWidth, 0, (lastKey - firstKey + 1) * keyWidth, keyHeight);
}

void KeyView::KeyEdit::popupItemChosenCallback (int result, KeyEdit* editor)
{
    if (editor != nullptr)
        editor->popupItemChosen (result);
}

void KeyView::KeyEdit::popupItemChosen (int result)
{
    if (result == 1)
    {
        const auto k = keyAt (downPos.x);
        breakPoint[(size_t) k] = ! breakPoint[(size_t) k];
        repaintKeys (k, k);
    }
    else if (result == 2)
    {
        breakPoint.fill (false);
        repaint();
    }
}

void KeyView::KeyEdit::paint (juce::Graphics& g)
{
    const int w = keyWidth;
    const auto clip = g.getClipBounds();
    const auto first = std::max (0, clip.getX() / w);
    const auto end = std::min ((int) keyCount, (clip.getRight() + w - 1) / w);

    if (first >= end)
        return;

    const auto baseY = (int) (centreLineY - 2.0f * valueOffset);
    const auto colW = w - keyBorder;
    auto x = first * w + 1;

    for (auto k = first; k < end; ++k)
    {
        const auto black = KEY_BLACK[(size_t) k] == 1;
        g.setColour (juce::Colour (black ? blackColumnColour : whiteColumnColour));
        g.fillRect (x, 0, colW, (int) keyHeight);

        const auto v = juce::jlimit (valueMin, valueMax, roundHalfToEven (values[(size_t) k]));

        if (noteOn[(size_t) k])
        {
            g.setColour (juce::Colour (black ? soundingBlackColour : soundingWhiteColour));
            g.fillRect (x, 0, colW, (int) keyHeight);
        }

        g.setColour (juce::Colour (centreLineColour));
        g.fillRect (x, baseY, colW, centreLineHeight);

        const auto above = v >= valueCentre + 1;
        const auto top = above ? baseY + 2 * (valueCentre - v) : baseY;
        const auto height = above ? 2 * (v - (valueCentre - 1)) : 2 * (valueCentre + 1 - v);
        g.setColour (juce::Colour (barColour));
        g.fillRect (x, top, colW, height);

        if (breakPoint[(size_t) k])
        {
            const auto edge = above ? top : top + height;
            g.setColour (juce::Colour (markerColour));
            g.drawRect (x - 1, edge + 1 - markerHeight / 2, w, (int) markerHeight, markerOutline);
        }

        x += w;
    }
}
