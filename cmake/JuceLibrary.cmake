# JUCE is compiled once into juce_lib, which every target of the project links.
add_library (juce_lib STATIC)

target_link_libraries (juce_lib
    PRIVATE juce::juce_core
            juce::juce_events
            juce::juce_data_structures
            juce::juce_graphics
            juce::juce_gui_basics
            juce::juce_gui_extra
            juce::juce_audio_basics
            juce::juce_audio_devices
    PUBLIC  juce::juce_recommended_config_flags)

target_compile_definitions (juce_lib
    PUBLIC    JUCE_WEB_BROWSER=0
              JUCE_USE_CURL=0
              JUCE_MODAL_LOOPS_PERMITTED=1
              JUCE_STANDALONE_APPLICATION=1
              JUCE_DISPLAY_SPLASH_SCREEN=0
    INTERFACE $<TARGET_PROPERTY:juce_lib,COMPILE_DEFINITIONS>)

# SYSTEM, so that warnings inside JUCE's headers are not reported against our code.
target_include_directories (juce_lib SYSTEM INTERFACE $<TARGET_PROPERTY:juce_lib,INCLUDE_DIRECTORIES>)

target_link_libraries (juce_lib PUBLIC juce::pkgconfig_JUCE_IMG_LINUX_DEPS ZLIB::ZLIB)
