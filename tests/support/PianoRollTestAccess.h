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
};
