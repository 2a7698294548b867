#pragma once

#include "model/Arrangement.h"
#include "model/ArrangementSnapshot.h"

#include <juce_core/juce_core.h>

#include <memory>
#include <vector>

//==============================================================================
/** The XML document that keeps the arrangement's clips and notes, and the MIDI
    folder, between editor lifetimes:

    <CarvolinState midiFolderPath="..." tracks="6" midiOut="1">
      <Track number="2" instrument="7"/>
      <Clip track="1" startQ="0" lengthQ="4">
        <Note pitch="60" startTick="0" lengthTicks="960" velocity="100"/>
      </Clip>
    </CarvolinState>

    "tracks" is written only when the count is not 4, "midiOut" only when
    playback through MIDI out is on, a "Track" element only for a track
    whose instrument is not the first: the default arrangement's
    document is the same as before tracks were kept, and readers that know
    only clips skip what they do not know.
*/
namespace StateDocument
{
    constexpr const char* rootTag = "CarvolinState";
    constexpr const char* midiFolderAttribute = "midiFolderPath";

    /** The document for a folder and clips: the folder attribute is written
        only when not empty, then a "Clip" element per clip with its notes, all
        in their order. Its cost grows in proportion to the notes.
    */
    std::unique_ptr<juce::XmlElement> createDocument (const juce::String& midiFolderPath,
                                                      const std::vector<const ClipData*>& clips);

    /** The document of a whole arrangement: its tracks and instruments, then its clips. */
    std::unique_ptr<juce::XmlElement> forArrangement (const juce::String& midiFolderPath, const ArrangementSnapshot& arrangement);

    /** Appends a "Clip" element per clip, with its notes, to a root without children. */
    void appendClips (juce::XmlElement& root, const std::vector<const ClipData*>& clips);

    /** The tracks and instruments of a document (clips aside): the "tracks"
        count, at least the highest clip track up to 16, 4 when absent; the
        instruments of "Track" elements naming a track of that count and an
        instrument of the table; the defaults for everything else.
    */
    ArrangementSnapshot readArrangement (const juce::XmlElement* document);

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

    /** Parses state document text (UTF-8, size bytes, not necessarily ending
        in a zero byte): null unless it is a well-formed XML document that can
        be read safely (see SafeXml).
    */
    std::unique_ptr<juce::XmlElement> parseText (const char* text, size_t size);

    /** Decodes a state blob ("VC2!", a 32-bit length, the XML text, a zero byte)
        as juce::AudioProcessor::getXmlFromBinary does, but with parseText: null
        for anything that is not a document, or not one that can be read safely.
    */
    std::unique_ptr<juce::XmlElement> decodeBlob (const void* data, int size);

    /** The lenient integer reading of readInt, on plain text. */
    int parseLenientInt (const juce::String& text) noexcept;
} // namespace StateDocument
