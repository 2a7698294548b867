#pragma once

#include <juce_graphics/juce_graphics.h>

//==============================================================================
/** The colours the arrangement and the piano roll share. */
namespace Palette
{
    /** Buttons and outlines of the toolbars (darkslategrey). */
    inline const juce::Colour control { 0xff2f4f4f };

    /** A tool button that is on (lightseagreen). */
    inline const juce::Colour toolOn { 0xff20b2aa };

    /** Buttons that remove or close: "Delete", "X" (darkred). */
    inline const juce::Colour destructive { 0xff8b0000 };

    /** The file commands "Save MIDI" and "Load MIDI" (darkorange). */
    inline const juce::Colour fileCommand { 0xffff8c00 };

    /** Text on controls and toolbars. */
    inline const juce::Colour text { 0xffffffff };

    /** Where clips and notes lie: the arrangement's lanes, the piano roll's grid. */
    inline const juce::Colour lanes { 0xff474747 };

    /** The dark bands: the track header column, the piano roll's header. */
    inline const juce::Colour darkBand { 0xff1a1a1a };

    /** A clip's body and outline, and a note in the piano roll (deepskyblue). */
    inline const juce::Colour clipBody { 0x5900bfff };
    inline const juce::Colour clipOutline { 0xff00bfff };
    inline const juce::Colour note { 0xb200bfff };

    /** Faint lines: beats in the arrangement, pitch rows in the piano roll. */
    inline const juce::Colour faintLine { 0x1affffff };
} // namespace Palette
