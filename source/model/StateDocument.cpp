#include "model/StateDocument.h"

#include "model/IntRange.h"
#include "model/Scales.h"

#include <limits>

namespace StateDocument
{
    namespace
    {
        // Identifiers are interned once: the document is written after every edit.
        const juce::Identifier clipTag ("Clip");
        const juce::Identifier noteTag ("Note");
        const juce::Identifier trackId ("track");
        const juce::Identifier startQId ("startQ");
        const juce::Identifier lengthQId ("lengthQ");
        const juce::Identifier pitchId ("pitch");
        const juce::Identifier startTickId ("startTick");
        const juce::Identifier lengthTicksId ("lengthTicks");
        const juce::Identifier velocityId ("velocity");
        const juce::Identifier tracksId ("tracks");
        const juce::Identifier trackTag ("Track");
        const juce::Identifier numberId ("number");
        const juce::Identifier instrumentId ("instrument");
        const juce::Identifier midiOutId ("midiOut");
        const juce::Identifier recordTrackId ("recordTrack");
        const juce::Identifier tempoId ("tempo");
        const juce::Identifier loopStartQId ("loopStartQ");
        const juce::Identifier loopEndQId ("loopEndQ");
        const juce::Identifier scaleId ("scale");
        const juce::Identifier scaleRootId ("scaleRoot");

        bool hasTag (const juce::XmlElement& element, const juce::Identifier& tag)
        {
            return element.getTagName().equalsIgnoreCase (tag.toString());
        }

        /** Appends a "Clip" element per clip, with its notes, to a root without children. */
        void appendClips (juce::XmlElement& root, const std::vector<const ClipData*>& clips)
        {
            // Children are built from the last to the first: adding one in front
            // takes a step, adding one at the end walks past all the others.
            jassert (root.getNumChildElements() == 0);
            for (auto clip = clips.rbegin(); clip != clips.rend(); ++clip)
            {
                auto* clipElement = new juce::XmlElement (clipTag);
                clipElement->setAttribute (trackId, (*clip)->track);
                clipElement->setAttribute (startQId, (*clip)->startQ);
                clipElement->setAttribute (lengthQId, (*clip)->lengthQ);

                // A clip's scale, only when one is set: readers that do not know it skip it.
                if (Scales::isValid ((*clip)->scale, (*clip)->scaleRoot))
                {
                    clipElement->setAttribute (scaleId, Scales::all[(size_t) (*clip)->scale].id);
                    clipElement->setAttribute (scaleRootId, (*clip)->scaleRoot);
                }

                for (auto note = (*clip)->notes.rbegin(); note != (*clip)->notes.rend(); ++note)
                {
                    auto* noteElement = new juce::XmlElement (noteTag);
                    noteElement->setAttribute (pitchId, note->pitch);
                    noteElement->setAttribute (startTickId, note->startTick);
                    noteElement->setAttribute (lengthTicksId, note->lengthTicks);
                    noteElement->setAttribute (velocityId, note->velocity);
                    clipElement->prependChildElement (noteElement);
                }

                root.prependChildElement (clipElement);
            }
        }

        std::unique_ptr<juce::XmlElement> createDocument (const juce::String& midiFolderPath, const ArrangementSnapshot* tracks,
                                                          const std::vector<const ClipData*>& clips)
        {
            auto root = std::make_unique<juce::XmlElement> (rootTag);
            if (midiFolderPath.isNotEmpty())
                root->setAttribute (midiFolderAttribute, midiFolderPath);

            // What a new arrangement has (4 tracks, all on the first
            // instrument, MIDI Out off) is not written, so that readers
            // that know only clips and notes read the same document.
            if (tracks != nullptr && tracks->numTracks != Arrangement::initialTracks)
                root->setAttribute (tracksId, tracks->numTracks);

            if (tracks != nullptr && tracks->midiOut)
                root->setAttribute (midiOutId, 1);

            if (tracks != nullptr && tracks->recordTrack != 0)
                root->setAttribute (recordTrackId, tracks->recordTrack);

            if (tracks != nullptr && tracks->tempo != Arrangement::defaultTempo)
                root->setAttribute (tempoId, tracks->tempo);

            if (tracks != nullptr && tracks->hasLoop())
            {
                root->setAttribute (loopStartQId, tracks->loopStartQ);
                root->setAttribute (loopEndQId, tracks->loopEndQ);
            }

            appendClips (*root, clips);

            if (tracks != nullptr)
            {
                for (auto i = tracks->numTracks; --i >= 0;)
                {
                    if (tracks->instruments[(size_t) i] == Instruments::defaultItemId)
                        continue;

                    auto* track = new juce::XmlElement (trackTag);
                    track->setAttribute (numberId, i + 1);
                    track->setAttribute (instrumentId, tracks->instruments[(size_t) i]);
                    root->prependChildElement (track);
                }
            }

            return root;
        }

        /** The tracks and instruments of a document, and MIDI Out: the
            "tracks" count, at least the highest clip track up to 16, 4 when
            absent; the instruments of "Track" elements naming a track of that
            count and an instrument of the table; the defaults for the rest.
        */
        ArrangementSnapshot readTracks (const juce::XmlElement& document)
        {
            ArrangementSnapshot arrangement;

            // The track count, and at least the highest clip's track, so that
            // clips never pile up in the last lane.
            auto numTracks = readInt (document, tracksId, Arrangement::initialTracks);
            for (auto* clipElement : document.getChildIterator())
                if (hasTag (*clipElement, clipTag))
                    numTracks = juce::jmax (numTracks, juce::jmin (Arrangement::maxTracks, readInt (*clipElement, trackId, 0)));

            arrangement.numTracks = juce::jlimit (Arrangement::minTracks, Arrangement::maxTracks, numTracks);
            arrangement.midiOut = readInt (document, midiOutId, 0) != 0;

            // A tempo out of range is the default; a loop region that is not
            // one (not whole bars, not on the timeline) is none.
            if (const auto tempo = readInt (document, tempoId, Arrangement::defaultTempo); tempo >= Arrangement::minTempo && tempo <= Arrangement::maxTempo)
                arrangement.tempo = tempo;

            if (const auto startQ = readInt (document, loopStartQId, 0), endQ = readInt (document, loopEndQId, 0); ArrangementSnapshot::isValidLoop (startQ, endQ))
            {
                arrangement.loopStartQ = startQ;
                arrangement.loopEndQ = endQ;
            }

            // A track armed that the arrangement does not have arms none.
            if (const auto armed = readInt (document, recordTrackId, 0); armed >= 1 && armed <= arrangement.numTracks)
                arrangement.recordTrack = armed;

            for (auto* trackElement : document.getChildIterator())
            {
                if (! hasTag (*trackElement, trackTag))
                    continue;

                const auto number = readInt (*trackElement, numberId, 0);
                const auto instrument = readInt (*trackElement, instrumentId, Instruments::defaultItemId);
                if (number >= 1 && number <= arrangement.numTracks && instrument >= 1 && instrument <= (int) Instruments::names.size())
                    arrangement.instruments[(size_t) number - 1] = instrument;
            }

            return arrangement;
        }
    } // namespace

    //==============================================================================
    std::unique_ptr<juce::XmlElement> write (const ArrangementSnapshot& arrangement, const juce::String& midiFolderPath)
    {
        return createDocument (midiFolderPath, &arrangement, arrangement.clipData());
    }

    std::unique_ptr<juce::XmlElement> writeClips (const juce::String& midiFolderPath, const std::vector<const ClipData*>& clips)
    {
        return createDocument (midiFolderPath, nullptr, clips);
    }

    ArrangementSnapshot read (const juce::XmlElement* document)
    {
        if (! isStateDocument (document))
            return {};

        auto arrangement = readTracks (*document);
        for (auto& clip : readClips (document))
            arrangement.clips.push_back (std::make_shared<const Clip> (Clip { 0, std::move (clip) }));
        return arrangement;
    }

    bool isStateDocument (const juce::XmlElement* document) noexcept
    {
        return document != nullptr && document->getTagName() == rootTag;
    }

    std::vector<ClipData> readClips (const juce::XmlElement* document)
    {
        std::vector<ClipData> clips;
        if (! isStateDocument (document))
            return clips;

        size_t notes = 0;
        for (auto* clipElement : document->getChildIterator())
        {
            if (! hasTag (*clipElement, clipTag))
                continue;

            // As many clips as the arrangement holds, each with all its notes.
            if (clips.size() == (size_t) Arrangement::maxClips)
                break;

            size_t clipNotes = 0;
            for (auto* noteElement : clipElement->getChildIterator())
                if (hasTag (*noteElement, noteTag))
                    ++clipNotes;

            notes += clipNotes;
            if (notes > (size_t) Arrangement::maxNotes)
                break;

            ClipData clip;
            clip.track = readInt (*clipElement, trackId, 0);
            clip.startQ = readInt (*clipElement, startQId, 0);
            clip.lengthQ = readInt (*clipElement, lengthQId, 4);
            clip.notes.reserve (clipNotes);

            if (const auto scale = Scales::indexOf (clipElement->getStringAttribute (scaleId)); scale >= 0)
            {
                const auto root = readInt (*clipElement, scaleRootId, 0);
                clip.scale = scale;
                clip.scaleRoot = root >= 0 && root < 12 ? root : 0;
            }

            for (auto* noteElement : clipElement->getChildIterator())
            {
                if (! hasTag (*noteElement, noteTag))
                    continue;

                clip.notes.push_back ({ readInt (*noteElement, pitchId, 60),
                                        readInt (*noteElement, startTickId, 0),
                                        readInt (*noteElement, lengthTicksId, 960),
                                        readInt (*noteElement, velocityId, 100) });
            }

            clips.push_back (std::move (clip));
        }

        return clips;
    }

    int readInt (const juce::XmlElement& element, const juce::Identifier& name, int defaultValue)
    {
        if (! element.hasAttribute (name.toString()))
            return defaultValue;

        return parseLenientInt (element.getStringAttribute (name));
    }

    int parseLenientInt (const juce::String& text) noexcept
    {
        auto p = text.getCharPointer();
        while (p.isWhitespace())
            ++p;

        bool negative = false;
        if (*p == '-' || *p == '+')
        {
            negative = *p == '-';
            ++p;
        }

        // Accumulate toward the sign so that the most negative value fits too.
        constexpr juce::int64 limit = juce::int64 { std::numeric_limits<int>::max() } + 1;
        juce::int64 magnitude = 0;
        for (; *p >= '0' && *p <= '9'; ++p)
            magnitude = juce::jmin (limit, magnitude * 10 + (*p - '0'));

        const auto value = negative ? -magnitude : magnitude;
        return IntRange::saturate (value);
    }
} // namespace StateDocument
