#pragma once

#include "app/VelmorEditorApplication.h"

// The one fixed-size window; its whole content is the editor panel.
class VelmorEditorApplication::MainWindow : public juce::DocumentWindow
{
public:
    MainWindow();
    ~MainWindow() override;

    void closeButtonPressed() override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainWindow)
};
