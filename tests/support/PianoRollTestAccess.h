#pragma once

#include "pianoroll/PianoRollComponent.h"
#include "support/FindComponents.h"

#include <gtest/gtest.h>

/** The model of an arrangement holding one clip (no undo step), and a piano
    roll open over that clip as the editor opens one.
*/
struct ModelRoll
{
    explicit ModelRoll (ClipData data, EditingSession* sharedSession = nullptr)
        : clipId (restoreOneClip (model, std::move (data))),
          roll (model, clipId, sharedSession != nullptr ? *sharedSession : session, dialogs)
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
    EditingSession session;
    Dialogs dialogs = Dialogs::native();
    const ClipId clipId;
    PianoRollComponent roll;
};

/** Finds the piano roll's controls as a user finds them on screen; and the
    roll's own bookkeeping of what it paints again, which the repaint tests
    hold to what changed on screen.
*/
struct PianoRollTestAccess
{
    static auto& closeButton (PianoRollComponent& p) { return FindComponents::button (p, "X"); }
    static auto& selectButton (PianoRollComponent& p) { return FindComponents::button (p, "Select"); }
    static auto& velocityButton (PianoRollComponent& p) { return FindComponents::button (p, "Velocity"); }
    static auto& undoButton (PianoRollComponent& p) { return FindComponents::button (p, "Undo"); }
    static auto& redoButton (PianoRollComponent& p) { return FindComponents::button (p, "Redo"); }
    /** "Scale", which shows the clip's scale once one is chosen ("D min"). */
    static juce::TextButton& scaleButton (PianoRollComponent& p)
    {
        for (auto* b : FindComponents::all<juce::TextButton> (p))
            if (b->getTooltip().startsWith ("The clip's scale"))
                return *b;
        return FindComponents::button (p, "Scale");
    }

    static auto& quantizeBox (PianoRollComponent& p) { return *FindComponents::all<juce::ComboBox> (p).front(); }

    /** The vertical and the horizontal zoom sliders, and scroll bars. */
    static auto& verticalZoomSlider (PianoRollComponent& p) { return *FindComponents::all<juce::Slider> (p)[0]; }
    static auto& horizontalZoomSlider (PianoRollComponent& p) { return *FindComponents::all<juce::Slider> (p)[1]; }
    static auto& verticalScrollBar (PianoRollComponent& p) { return *FindComponents::all<juce::ScrollBar> (p)[0]; }
    static auto& horizontalScrollBar (PianoRollComponent& p) { return *FindComponents::all<juce::ScrollBar> (p)[1]; }

    static auto look (const PianoRollComponent& p) { return p.currentLook(); }
    static auto changedAreas (const PianoRollComponent& p, const PianoRollComponent::Look& before) { return p.changedAreas (before, p.currentLook()); }
};
