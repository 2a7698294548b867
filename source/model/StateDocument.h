#pragma once

#include "model/Arrangement.h"
#include "model/ArrangementSnapshot.h"

#include <juce_core/juce_core.h>

#include <memory>
#include <vector>

//==============================================================================
/** The XML document that keeps the arrangement with the host's project:

    <CarvolinState midiFolderPath="..." tracks="6" midiOut="1" recordTrack="2"
                   tempo="90" loopStartQ="8" loopEndQ="16">
      <Track number="2" instrument="7"/>
      <Clip track="1" startQ="0" lengthQ="4">
        <Note pitch="60" startTick="0" lengthTicks="960" velocity="100"/>
      </Clip>
    </CarvolinState>

    "tracks" is written only when the count is not 4, "midiOut" only when
    playback through MIDI out is on, "recordTrack" only when a track is armed
    for recording, "tempo" only when it is not 120, "loopStartQ" and
    "loopEndQ" only when a loop region is set, a clip's "scale" and "scaleRoot" (as Scales names them) only
    when the clip has a scale, a "Track" element only for a track whose
    instrument is not the first: a reader that knows only clips and notes
    reads every document, and the document of a new arrangement holding only
    clips is the one such a reader writes. Readers skip what they do not know.

    This is the schema only; StateBlob turns a document into the host's blob
    and back.
*/
namespace StateDocument
{
    constexpr const char* rootTag = "CarvolinState";
    constexpr const char* midiFolderAttribute = "midiFolderPath";

    /** The document of an arrangement: the folder (when not empty), the
        tracks and instruments, MIDI Out, the armed track, then a "Clip" per clip with its
        notes, all in their order. Its cost grows in proportion to the notes.
    */
    std::unique_ptr<juce::XmlElement> write (const ArrangementSnapshot& arrangement, const juce::String& midiFolderPath);

    /** The document of clips alone, as a reader that knows only clips writes it. */
    std::unique_ptr<juce::XmlElement> writeClips (const juce::String& midiFolderPath, const std::vector<const ClipData*>& clips);

    /** The arrangement of a document: tracks, instruments, MIDI Out and the
        clips of readClips, which have no ids yet (the model gives them).
        A new arrangement when the document is null or has another root.
    */
    ArrangementSnapshot read (const juce::XmlElement* document);

    /** True when the document's root is exactly "CarvolinState" (letter case counts). */
    bool isStateDocument (const juce::XmlElement* document) noexcept;

    /** The clips of a document, in document order: "Clip" and "Note" children in
        any letter case, absent attributes at their defaults, values as read.
        Empty when the document is null or has another root. A document with
        more than the arrangement holds gives its first clips, each whole, up
        to Arrangement::maxClips and maxNotes.
    */
    std::vector<ClipData> readClips (const juce::XmlElement* document);

    /** Reads an integer attribute leniently: leading blanks, an optional sign,
        then decimal digits up to the first other character; text without digits
        reads 0, digits beyond the 32-bit range saturate. Absent: defaultValue.
    */
    int readInt (const juce::XmlElement& element, const juce::Identifier& name, int defaultValue);

    /** The lenient integer reading of readInt, on plain text. */
    int parseLenientInt (const juce::String& text) noexcept;
} // namespace StateDocument
