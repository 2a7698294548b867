#pragma once

#include "pianoroll/PianoRollComponent.h"

/** The model of an arrangement holding one clip (no undo step), and a piano
    roll open over that clip as the editor opens one.
*/
struct ModelRoll
{
    explicit ModelRoll (ClipData data, EditingSession* session = nullptr)
        : clipId (restoreOneClip (model, std::move (data))),
          roll (model, clipId, session)
    {
    }

    /** The clip as the model holds it now. */
    ClipData clip() const
    {
        const auto* found = model.getSnapshot()->findClip (clipId);
        return found != nullptr ? found->data : ClipData {};
    }

    static ClipId restoreOneClip (ArrangementModel& m, ClipData data)
    {
        ArrangementSnapshot snapshot;
        const auto id = m.nextClipId();
        snapshot.clips.push_back (std::make_shared<const Clip> (Clip { id, std::move (data) }));
        m.restore (std::move (snapshot));
        return id;
    }

    ArrangementModel model;
    const ClipId clipId;
    PianoRollComponent roll;
};

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
    static auto& redoButton (PianoRollComponent& p) { return p.redoButton; }

    /** What the roll shows now, and the areas it asks to paint again for what changed since. */
    static auto look (const PianoRollComponent& p) { return p.currentLook(); }
    static auto changedAreas (const PianoRollComponent& p, const PianoRollComponent::Look& before) { return p.changedAreas (before, p.currentLook()); }
};
