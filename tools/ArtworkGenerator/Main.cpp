// Draws every image of the panel and writes it as a PNG into the given folder.

#include "ControlArt.h"
#include "PanelBackground.h"
#include "app/PanelTables.h"

#include <functional>
#include <iostream>

namespace
{
struct ButtonArt
{
    const char* name;
    ControlArt::Glyph glyph;
    int width;
    int height;
};

const ButtonArt buttons[] = {
    { "connect", ControlArt::Glyph::connect, 103, PANEL_TOP_BAR_HEIGHT },
    { "open", ControlArt::Glyph::open, 37, 35 },
    { "save", ControlArt::Glyph::save, 37, 35 },
    { "reset", ControlArt::Glyph::reset, 98, 30 },
    { "random", ControlArt::Glyph::random, 98, 30 },
    { "scalem", ControlArt::Glyph::scaleDown, 49, 30 },
    { "scalep", ControlArt::Glyph::scaleUp, 49, 30 },
    { "movem", ControlArt::Glyph::moveDown, 49, 30 },
    { "movep", ControlArt::Glyph::moveUp, 49, 30 },
    { "note", ControlArt::Glyph::note, 36, 30 },
    { "zoom_in", ControlArt::Glyph::zoomIn, 29, 29 },
    { "zoom_out", ControlArt::Glyph::zoomOut, 29, 29 },
};

bool writePng (const juce::File& folder, const juce::String& name, const juce::Image& image)
{
    const auto file = folder.getChildFile (name + ".png");
    // The stream appends to an existing file.
    if (! file.deleteFile())
        return false;

    juce::FileOutputStream stream (file);
    juce::PNGImageFormat png;
    return stream.openedOk() && png.writeImageToStream (image, stream);
}
} // namespace

int main (int argc, char** argv)
{
    if (argc != 2)
    {
        std::cerr << "usage: ArtworkGenerator <resource folder>" << std::endl;
        return 2;
    }

    juce::ScopedJuceInitialiser_GUI juceRuntime;
    const juce::File folder (juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]));
    if (! folder.isDirectory())
    {
        std::cerr << "not a folder: " << argv[1] << std::endl;
        return 2;
    }

    std::vector<std::pair<juce::String, std::function<juce::Image()>>> images {
        { "piano_bg", PanelBackground::background },
        { "splash", PanelBackground::splash },
        { "disabled_mask", PanelBackground::disabledMask },
        { "icon_16x16", ControlArt::windowIcon },
        { "k_circle_off", []
          { return ControlArt::kCircle (false); } },
        { "k_circle_on", []
          { return ControlArt::kCircle (true); } },
        { "oslider_cur", ControlArt::sliderThumb },
        { "triangle", ControlArt::offsetThumb },
        { "keybar_maskX1", []
          { return ControlArt::keyBarMask (213); } },
        { "keybar_maskX2", []
          { return ControlArt::keyBarMask (317); } },
        { "keybar_maskX4", []
          { return ControlArt::keyBarMask (369); } },
        { "keysX1", []
          { return ControlArt::keyEditorSize (KEY_VIEW_WIDTH); } },
        { "keysX2", []
          { return ControlArt::keyEditorSize (2 * KEY_VIEW_WIDTH); } },
        { "keysX4", []
          { return ControlArt::keyEditorSize (4 * KEY_VIEW_WIDTH); } },
    };

    for (const auto& b : buttons)
    {
        images.push_back ({ juce::String (b.name) + "_off", [b]
                            { return ControlArt::button (b.glyph, b.width, b.height, false); } });
        images.push_back ({ juce::String (b.name) + "_on", [b]
                            { return ControlArt::button (b.glyph, b.width, b.height, true); } });
    }

    // Icon d is the one wider icon.
    for (int i = 0; i < 15; ++i)
    {
        const auto letter = (char) ('a' + i);
        images.push_back ({ juce::String ("icon_") + letter + "_80", [i, letter]
                            { return ControlArt::pianoIcon (i, letter == 'd' ? 88 : 80); } });
    }

    int failures = 0;
    for (const auto& [name, draw] : images)
    {
        if (! writePng (folder, name, draw()))
        {
            std::cerr << "could not write " << name << ".png" << std::endl;
            ++failures;
        }
    }

    std::cout << "wrote " << images.size() - (size_t) failures << " images to " << folder.getFullPathName() << std::endl;
    return failures == 0 ? 0 : 1;
}
