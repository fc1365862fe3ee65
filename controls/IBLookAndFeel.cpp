#include "controls/IBLookAndFeel.h"

namespace
{
constexpr int separatorWidth = 50;
constexpr int separatorHeightWithoutStandard = 10;
} // namespace

void IBLookAndFeel::getIdealPopupMenuItemSize (const juce::String&, bool isSeparator, int standardMenuItemHeight, int& idealWidth, int& idealHeight)
{
    if (isSeparator)
    {
        idealWidth = separatorWidth;
        idealHeight = standardMenuItemHeight > 0 ? standardMenuItemHeight / 2 : separatorHeightWithoutStandard;
        return;
    }

    idealWidth = itemWidth;
    idealHeight = itemHeight;
}
