#pragma once

#include <juce_graphics/juce_graphics.h>

#include <memory>

//==============================================================================
/** The few places where JUCE 7 and JUCE 8 differ in what we use. */
namespace JuceCompat
{
    /** A plain font of the default typeface with the given height. */
    inline juce::Font plainFont (float height)
    {
#if JUCE_MAJOR_VERSION >= 8
        return juce::Font (juce::FontOptions (height));
#else
        return juce::Font (height);
#endif
    }

    /** The width in pixels of a single line of text in the given font. */
    inline float stringWidth (const juce::Font& font, const juce::String& text)
    {
#if JUCE_MAJOR_VERSION >= 8
        return juce::GlyphArrangement::getStringWidth (font, text);
#else
        return font.getStringWidthFloat (text);
#endif
    }

    /** Hands a plug-in format to a format manager, which owns it from then on.
        JUCE 8 takes it as a std::unique_ptr, JUCE 7 as a raw pointer.
    */
    template <typename FormatManager, typename Format>
    void addPluginFormat (FormatManager& manager, std::unique_ptr<Format> format)
    {
#if JUCE_MAJOR_VERSION >= 8
        manager.addFormat (std::move (format));
#else
        manager.addFormat (format.release());
#endif
    }
} // namespace JuceCompat
