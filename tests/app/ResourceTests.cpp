#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "BinaryData.h"

#include <map>
#include <string>

namespace
{
struct PixelSize
{
    int width;
    int height;
};

// Controls take the sizes of their images and the layout is fixed, so these sizes are binding.
const std::map<std::string, PixelSize> imageSizes {
    { "icon_16x16_png", { 16, 16 } },
    { "splash_png", { 1024, 748 } },
    { "piano_bg_png", { 1024, 748 } },
    { "disabled_mask_png", { 1024, 711 } },
    { "connect_off_png", { 103, 37 } },
    { "connect_on_png", { 103, 37 } },
    { "open_off_png", { 37, 35 } },
    { "open_on_png", { 37, 35 } },
    { "save_off_png", { 37, 35 } },
    { "save_on_png", { 37, 35 } },
    { "k_circle_off_png", { 38, 38 } },
    { "k_circle_on_png", { 38, 38 } },
    { "reset_off_png", { 98, 30 } },
    { "reset_on_png", { 98, 30 } },
    { "random_off_png", { 98, 30 } },
    { "random_on_png", { 98, 30 } },
    { "scalem_off_png", { 49, 30 } },
    { "scalem_on_png", { 49, 30 } },
    { "scalep_off_png", { 49, 30 } },
    { "scalep_on_png", { 49, 30 } },
    { "movem_off_png", { 49, 30 } },
    { "movem_on_png", { 49, 30 } },
    { "movep_off_png", { 49, 30 } },
    { "movep_on_png", { 49, 30 } },
    { "note_off_png", { 36, 30 } },
    { "note_on_png", { 36, 30 } },
    { "zoom_in_off_png", { 29, 29 } },
    { "zoom_in_on_png", { 29, 29 } },
    { "zoom_out_off_png", { 29, 29 } },
    { "zoom_out_on_png", { 29, 29 } },
    { "oslider_cur_png", { 49, 47 } },
    { "triangle_png", { 16, 28 } },
    { "keybar_maskX1_png", { 213, 28 } },
    { "keybar_maskX2_png", { 317, 28 } },
    { "keybar_maskX4_png", { 369, 28 } },
    { "keysX1_png", { 968, 202 } },
    { "keysX2_png", { 1936, 202 } },
    { "keysX4_png", { 3872, 202 } },
    { "icon_a_80_png", { 80, 80 } },
    { "icon_b_80_png", { 80, 80 } },
    { "icon_c_80_png", { 80, 80 } },
    { "icon_d_80_png", { 88, 80 } },
    { "icon_e_80_png", { 80, 80 } },
    { "icon_f_80_png", { 80, 80 } },
    { "icon_g_80_png", { 80, 80 } },
    { "icon_h_80_png", { 80, 80 } },
    { "icon_i_80_png", { 80, 80 } },
    { "icon_j_80_png", { 80, 80 } },
    { "icon_k_80_png", { 80, 80 } },
    { "icon_l_80_png", { 80, 80 } },
    { "icon_m_80_png", { 80, 80 } },
    { "icon_n_80_png", { 80, 80 } },
    { "icon_o_80_png", { 80, 80 } },
};

juce::uint32 bigEndian32 (const juce::uint8* bytes)
{
    return ((juce::uint32) bytes[0] << 24) | ((juce::uint32) bytes[1] << 16) | ((juce::uint32) bytes[2] << 8) | bytes[3];
}
} // namespace

TEST (EmbeddedImages, EveryEmbeddedImageHasABindingSize)
{
    int images = 0;
    for (int i = 0; i < BinaryData::namedResourceListSize; ++i)
    {
        const std::string name = BinaryData::namedResourceList[i];
        if (name.size() > 4 && name.compare (name.size() - 4, 4, "_png") == 0)
        {
            ++images;
            EXPECT_EQ (imageSizes.count (name), 1u) << name << " has no size of its own";
        }
    }
    EXPECT_EQ (images, (int) imageSizes.size());
}

TEST (EmbeddedImages, DecodeToTheirSizeAsEightBitRgbaPng)
{
    constexpr int ihdrEnd = 26;
    const juce::uint8 signature[] = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n' };

    for (const auto& [name, size] : imageSizes)
    {
        SCOPED_TRACE (name);
        int length = 0;
        const auto* data = BinaryData::getNamedResource (name.c_str(), length);
        ASSERT_NE (data, nullptr);
        ASSERT_GE (length, ihdrEnd);

        const auto* bytes = reinterpret_cast<const juce::uint8*> (data);
        ASSERT_EQ (memcmp (bytes, signature, sizeof (signature)), 0);
        ASSERT_EQ (memcmp (bytes + 12, "IHDR", 4), 0);
        EXPECT_EQ (bigEndian32 (bytes + 16), (juce::uint32) size.width);
        EXPECT_EQ (bigEndian32 (bytes + 20), (juce::uint32) size.height);
        EXPECT_EQ (bytes[24], 8) << "bit depth";
        EXPECT_EQ (bytes[25], 6) << "colour type (RGBA)";

        const auto image = juce::ImageCache::getFromMemory (data, length);
        ASSERT_TRUE (image.isValid());
        EXPECT_EQ (image.getWidth(), size.width);
        EXPECT_EQ (image.getHeight(), size.height);
        EXPECT_TRUE (image.hasAlphaChannel());
    }
}

TEST (EmbeddedImages, ButtonsLookDifferentWhenOn)
{
    const char* const buttons[] = { "connect", "open", "save", "k_circle", "reset", "random", "scalem", "scalep", "movem", "movep", "note", "zoom_in", "zoom_out" };

    for (const auto* button : buttons)
    {
        SCOPED_TRACE (button);
        int offLength = 0;
        int onLength = 0;
        const auto* off = BinaryData::getNamedResource ((juce::String (button) + "_off_png").toRawUTF8(), offLength);
        const auto* on = BinaryData::getNamedResource ((juce::String (button) + "_on_png").toRawUTF8(), onLength);
        ASSERT_NE (off, nullptr);
        ASSERT_NE (on, nullptr);

        const auto offImage = juce::ImageCache::getFromMemory (off, offLength);
        const auto onImage = juce::ImageCache::getFromMemory (on, onLength);
        int differing = 0;
        for (int y = 0; y < offImage.getHeight(); ++y)
            for (int x = 0; x < offImage.getWidth(); ++x)
                differing += offImage.getPixelAt (x, y) != onImage.getPixelAt (x, y) ? 1 : 0;

        EXPECT_GT (differing, offImage.getWidth() * offImage.getHeight() / 4);
    }
}
