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
// Each value has a row two pixels high; at offset 0 the centre value's row
// is the centre line.
constexpr int pixelsPerValue = 2;
constexpr int centreLineY = 100;
constexpr int valueSpan = KeyView::valueMax - KeyView::valueMin;
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
        const auto pitchClass = (k + KeyView::firstKeyNote) % 12;
        const auto black = pitchClass == 1 || pitchClass == 3 || pitchClass == 6 || pitchClass == 8 || pitchClass == 10;
        table[(size_t) k] = black ? 1 : 0;
    }

    return table;
}

// Top of the row of value v at offset 0.
constexpr int rowOf (int v)
{
    return centreLineY + pixelsPerValue * (KeyView::valueCentre - v);
}

// The top row of each rounded value, limited to the editor's height.
constexpr std::array<juce::uint8, markerValueCount> makeMarkerToY()
{
    std::array<juce::uint8, markerValueCount> table {};

    for (int v = 0; v < markerValueCount; ++v)
        table[(size_t) v] = (juce::uint8) std::clamp (rowOf (v), 0, KeyView::editorHeight);

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

KeyView::KeyEdit::KeyEdit (KeyView& ownerView)
    : owner (ownerView),
      menuLookAndFeel (std::make_unique<PMLookAndFeel>())
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

void KeyView::KeyEdit::setKeyWidth (int width)
{
    keyWidth = (juce::uint8) width;
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

void KeyView::KeyEdit::setNote (unsigned char key, bool on)
{
    if (key >= keyCount)
        return;

    noteOn[key] = on;
    repaintKeys (key, key);
}

void KeyView::KeyEdit::setAllNotesOff()
{
    noteOn.fill (false);
    repaint();
}

void KeyView::KeyEdit::setOffset (unsigned char value)
{
    valueOffset = (float) value - (float) valueCentre;
    repaint();
}

void KeyView::KeyEdit::setKeyBorder (unsigned char border)
{
    keyBorder = border;
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

void KeyView::KeyEdit::getKeyValues (unsigned char first, unsigned char* dest, unsigned char count) const
{
    if (first >= keyCount || dest == nullptr)
        return;

    const auto n = std::min (keyCount - first, (int) count);

    // Between a break-point drag step and its mouse-up the held values are
    // already within range; limiting here keeps every read 7-bit safe anyway.
    for (int i = 0; i < n; ++i)
        dest[i] = (unsigned char) (int) limitValue (values[(size_t) (first + i)]);
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
    return (int) ((float) pixelsPerValue * valueOffset);
}

int KeyView::KeyEdit::limitHeight (int y) const
{
    const auto lowest = keyHeight - heightOffset();
    const auto highest = -heightOffset();

    if (valueOffset > 0.0f && y > lowest)
        return lowest;

    if (valueOffset <= 0.0f && y < highest)
        return highest;

    return y;
}

float KeyView::KeyEdit::valueForHeight (int yv) const
{
    // The offset may change during a drag, so a height carried over from an
    // earlier step can fall outside the editor.
    const auto limited = juce::jlimit (0, (int) keyHeight, yv);
    return (float) (valueMax - (limited * valueSpan) / (keyHeight - 1));
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
            const auto markerY = KEY_MARKER_TO_Y[(size_t) r] - heightOffset();
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

    const auto dv = (float) (downPos.y - y) * (float) valueSpan / (float) (keyHeight - 1);
    const auto before = values[(size_t) n];

    reshapeToward (prevBreakPoint, d, n, dv);
    reshapeToward (nextBreakPoint, d, n, dv);

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

void KeyView::KeyEdit::reshapeToward (int neighbour, int pressedKey, int marker, float rise)
{
    const auto direction = marker > neighbour ? 1 : -1;

    // Without a neighbour on this side the saved curve moves with the marker,
    // its end value repeating where it runs out.
    if (neighbour < 0 || neighbour >= keyCount)
    {
        for (auto i = neighbour + direction; i != marker; i += direction)
            values[(size_t) i] = savedValues[(size_t) juce::jlimit (0, keyCount - 1, i + pressedKey - marker)] + rise;

        return;
    }

    // Otherwise the saved curve between the neighbour and the pressed key is
    // stretched to end at the marker, and raised by a ramp from 0 at the
    // neighbour. The sampling position walks out from the neighbour.
    const auto distance = (float) std::abs (marker - neighbour);
    const auto step = (float) (pressedKey - neighbour) / distance;
    const auto ramp = rise / distance;
    auto s = (float) neighbour;

    for (auto i = neighbour + direction; i != marker; i += direction)
    {
        s += step;
        const auto j = (int) s;
        const auto f = s - (float) j;
        values[(size_t) i] = (1.0f - f) * savedValues[(size_t) j]
                             + f * savedValues[(size_t) std::min (j + 1, keyCount - 1)]
                             + (float) std::abs (i - neighbour) * ramp;
    }
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
    owner.sendMouseOverKey (key, limited);

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
    owner.sendValuesChanged (firstKey, lastKey);

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

    const auto lift = heightOffset();
    const auto baseY = rowOf (valueCentre) - lift;
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
        g.fillRect (x, baseY, colW, pixelsPerValue);

        // The bar covers the rows of every value from the centre to v, and a
        // marker sits on its edge away from the centre line.
        const auto row = rowOf (v) - lift;
        g.setColour (juce::Colour (barColour));
        g.fillRect (x, std::min (baseY, row), colW, std::abs (row - baseY) + pixelsPerValue);

        if (breakPoint[(size_t) k])
        {
            const auto edge = v > valueCentre ? row : row + pixelsPerValue;
            g.setColour (juce::Colour (markerColour));
            g.drawRect (x - 1, edge + 1 - markerHeight / 2, w, (int) markerHeight, markerOutline);
        }

        x += w;
    }
}
