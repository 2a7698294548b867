#pragma once

#include "pianoroll/PianoRollComponent.h"

/** Lets tests reach the piano roll's controls. */
struct PianoRollTestAccess
{
    static auto& closeButton (PianoRollComponent& p) { return p.closeButton; }
    static auto& quantizeBox (PianoRollComponent& p) { return p.quantizeBox; }
    static auto& selectButton (PianoRollComponent& p) { return p.selectButton; }
    static auto& verticalZoomSlider (PianoRollComponent& p) { return p.verticalZoomSlider; }
    static auto& horizontalZoomSlider (PianoRollComponent& p) { return p.horizontalZoomSlider; }
    static auto& verticalScrollBar (PianoRollComponent& p) { return p.verticalScrollBar; }
    static auto& horizontalScrollBar (PianoRollComponent& p) { return p.horizontalScrollBar; }
    static auto& velocityButton (PianoRollComponent& p) { return p.velocityButton; }
    static auto& undoButton (PianoRollComponent& p) { return p.undoButton; }

    /** What the roll shows now, and the areas it asks to paint again for what changed since. */
    static auto look (const PianoRollComponent& p) { return p.currentLook(); }
    static auto changedAreas (const PianoRollComponent& p, const PianoRollComponent::Look& before) { return p.changedAreas (before, p.currentLook()); }
};
