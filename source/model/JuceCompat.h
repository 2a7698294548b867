#pragma once

#include <juce_graphics/juce_graphics.h>

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
} // namespace JuceCompat
