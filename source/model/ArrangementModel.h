#pragma once

#include "model/ArrangementSnapshot.h"
#include "model/UndoHistory.h"

#include <juce_events/juce_events.h>

#include <functional>

//==============================================================================
/**
    The arrangement: the current snapshot, the undo history, and the way every
    user change is made, one transaction at a time. The processor owns it, so
    it outlives the editor; the editor and the piano roll show it and change it
    only through perform, undo and redo.

    Transactions, undo and redo run on the message thread. Any thread but the
    audio thread may ask for the current snapshot (getSnapshot takes a short
    lock); what the audio thread plays of it reaches it through onNewSnapshot
    (see Playback).
*/
class ArrangementModel final : private juce::AsyncUpdater
{
public:
    ArrangementModel();
    ~ArrangementModel() override;

    //==============================================================================
    /** The arrangement as it stands. */
    SnapshotPtr getSnapshot() const;

    //==============================================================================
    /** What a transaction changes: a working copy of the snapshot. Clips that
        are not touched stay shared with the snapshot before.
    */
    class Edit
    {
    public:
        /** The arrangement with the changes made so far. */
        const ArrangementSnapshot& get() const noexcept { return working; }

        /** Appends a clip; returns its new id. */
        ClipId addClip (ClipData data);

        /** Replaces the data of a clip, keeping its id and place in the order.
            Nothing is checked: edits of notes, and clips as files give them.
        */
        bool setClip (ClipId id, ClipData data);

        bool setNotes (ClipId id, std::vector<ClipNote> notes);

        /** Sets a clip's scale (an index of Scales::all, or -1 for none) and root (0 to 11). */
        bool setScale (ClipId id, int scale, int root);
        bool removeClip (ClipId id);

        //==============================================================================
        // The rules of clips on tracks: every edit the user makes of where
        // clips lie goes through these, which refuse, changing nothing, what
        // would put a clip on another, outside the lanes or past the timeline.

        /** Moves clips by lanes (as the lanes show them) and quarters, all or none. */
        bool moveClips (const std::vector<ClipId>& ids, int laneOffset, int quarterOffset);

        /** Adds clips where they are, all or none; their ids, or none. */
        std::vector<ClipId> placeClips (const std::vector<ClipData>& clips);

        /** Sets a clip's length in quarters (at least 1). */
        bool resizeClip (ClipId id, int lengthQ);

        /** Replaces every clip by new ones, in order. */
        void replaceClips (std::vector<ClipData> clips);

        /** Sets the number of tracks, 1 to 16; a track that goes loses its instrument. */
        bool setNumTracks (int numTracks);

        /** Sets the instrument (1 to 24) of a track, by index. */
        bool setInstrument (int trackIndex, int itemId);

        /** Turns playback through MIDI out on or off. */
        bool setMidiOut (bool shouldPlay);

        /** Arms a track (1 to the number of tracks) for recording, disarming
            any other; 0 disarms.
        */
        bool setRecordTrack (int track);

        /** Sets the tempo, kept within Arrangement::minTempo to maxTempo. */
        bool setTempo (int bpm);

        /** Sets the loop region (whole bars on the timeline), or clears it
            with 0 and 0; anything else is refused.
        */
        bool setLoop (int startQ, int endQ);

        bool hasChanged() const noexcept { return changed; }

    private:
        friend class ArrangementModel;
        Edit (ArrangementModel& m, const ArrangementSnapshot& base) : model (m), working (base) {}

        /** A clip of the snapshot, its notes named. */
        ClipPtr makeClip (ClipId id, ClipData data);

        ArrangementModel& model;
        ArrangementSnapshot working;
        bool changed = false;
    };

    /** Runs a transaction: edit changes a working copy, which then becomes the
        current snapshot and one undo step named name. Nothing happens, and no
        step is recorded, when edit changes nothing, or when the arrangement
        would then hold more notes or clips than it can (Arrangement::maxNotes,
        maxClips). Returns true on a change.
    */
    bool perform (const juce::String& name, const std::function<void (Edit&)>& edit);

    /** A transaction that belongs to an undo step made before, step (the
        serial this returned for it): it joins that step as long as the step
        is the last one and nothing was undone since, and otherwise makes a
        step of its own, as perform does. A recording take is one step this
        way, however often it shows what it has so far. Returns the serial of
        the step changed or made, or 0 when nothing changed.
    */
    juce::uint64 performJoining (juce::uint64 step, const juce::String& name, const std::function<void (Edit&)>& edit);

    /** Whether there is a step to undo or redo: any thread may ask, while
        another changes the history.
    */
    bool canUndo() const noexcept { return undoable.load(); }
    bool canRedo() const noexcept { return redoable.load(); }
    bool undo();
    bool redo();
    /** The history, for reading on the message thread. */
    const UndoHistory& getHistory() const noexcept { return history; }

    /** Replaces the arrangement by one the host handed over (a project or a
        preset loaded): no undo step, and the history so far is cleared. Clips
        and notes without an id (0) get one.
    */
    void restore (ArrangementSnapshot snapshot);

    /** A name for a new clip. */
    ClipId nextClipId() noexcept { return ++lastClipId; }

    /** A name for a new note: unique among the notes the model ever named. */
    NoteId nextNoteId() noexcept { return ++lastNoteId; }

    /** Names every note that has no name yet (id 0). */
    void nameNotes (std::vector<ClipNote>& notes) noexcept;

    //==============================================================================
    struct Listener
    {
        virtual ~Listener() = default;

        /** The current snapshot changed (a transaction, an undo or redo, a
            restore); always called on the message thread.
        */
        virtual void arrangementChanged() = 0;
    };

    void addListener (Listener* listener);
    void removeListener (Listener* listener);

    /** Called with every new snapshot, on the thread that made it and before
        the listeners hear of it: true for one the host replaced the
        arrangement with (restore).
    */
    std::function<void (SnapshotPtr snapshot, bool replacedByHost)> onNewSnapshot;

    /** Called once after each change the user made (a transaction, an undo,
        a redo), on the thread that made it, with no lock held: never for a
        snapshot the host set.
    */
    std::function<void()> onUserChange;

private:
    /** Undo or redo: the history's step, made current. */
    bool moveThroughHistory (SnapshotPtr (UndoHistory::*move) (SnapshotPtr));
    void setCurrent (SnapshotPtr next, bool replacedByHost = false);
    void historyChanged() noexcept;
    void notifyListeners();
    void userChanged();
    void handleAsyncUpdate() override;

    // Transactions come from the message thread, a state restored by the host
    // possibly from another: one at a time. The snapshot itself is read from
    // any thread under a lock of its own, held only to copy a pointer.
    juce::CriticalSection transactionLock;
    mutable juce::CriticalSection snapshotLock;
    SnapshotPtr current;
    UndoHistory history;
    std::atomic<bool> undoable { false }, redoable { false };
    std::atomic<ClipId> lastClipId { 0 };
    std::atomic<NoteId> lastNoteId { 0 };
    std::vector<Listener*> listeners;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ArrangementModel)
};
