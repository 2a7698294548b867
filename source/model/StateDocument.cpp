#include "model/StateDocument.h"

#include "model/IntRange.h"

#include <limits>
#include <string_view>

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

        std::unique_ptr<juce::XmlElement> createDocument (const juce::String& midiFolderPath, const ArrangementSnapshot* tracks,
                                                          const std::vector<const ClipData*>& clips)
        {
            auto root = std::make_unique<juce::XmlElement> (rootTag);
            if (midiFolderPath.isNotEmpty())
                root->setAttribute (midiFolderAttribute, midiFolderPath);

            // What the default arrangement has (4 tracks, all on the first
            // instrument) is not written, so its document is as it always was.
            if (tracks != nullptr && tracks->numTracks != Arrangement::initialTracks)
                root->setAttribute (tracksId, tracks->numTracks);

            if (tracks != nullptr && tracks->midiOut)
                root->setAttribute (midiOutId, 1);

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
    } // namespace

    std::unique_ptr<juce::XmlElement> createDocument (const juce::String& midiFolderPath,
                                                      const std::vector<const ClipData*>& clips)
    {
        return createDocument (midiFolderPath, nullptr, clips);
    }

    std::unique_ptr<juce::XmlElement> forArrangement (const juce::String& midiFolderPath, const ArrangementSnapshot& arrangement)
    {
        return createDocument (midiFolderPath, &arrangement, arrangement.clipData());
    }

    ArrangementSnapshot readArrangement (const juce::XmlElement* document)
    {
        ArrangementSnapshot arrangement;
        if (! isStateDocument (document))
            return arrangement;

        // The track count, and at least the highest clip's track, so that
        // clips never pile up in the last lane.
        auto numTracks = readInt (*document, tracksId, Arrangement::initialTracks);
        for (auto* clipElement : document->getChildIterator())
            if (clipElement->getTagName().equalsIgnoreCase (clipTag.toString()))
                numTracks = juce::jmax (numTracks, juce::jmin (Arrangement::maxTracks, readInt (*clipElement, trackId, 0)));

        arrangement.numTracks = juce::jlimit (Arrangement::minTracks, Arrangement::maxTracks, numTracks);
        arrangement.midiOut = readInt (*document, midiOutId, 0) != 0;

        for (auto* trackElement : document->getChildIterator())
        {
            if (! trackElement->getTagName().equalsIgnoreCase (trackTag.toString()))
                continue;

            const auto number = readInt (*trackElement, numberId, 0);
            const auto instrument = readInt (*trackElement, instrumentId, Instruments::defaultItemId);
            if (number >= 1 && number <= arrangement.numTracks && instrument >= 1 && instrument <= (int) Instruments::names.size())
                arrangement.instruments[(size_t) number - 1] = instrument;
        }

        return arrangement;
    }

    void appendClips (juce::XmlElement& root, const std::vector<const ClipData*>& clips)
    {
        // Children are built from the last to the first: adding one in front
        // takes a step, adding one at the end walks past all the others. The
        // root must have no children yet.
        jassert (root.getNumChildElements() == 0);
        for (auto clip = clips.rbegin(); clip != clips.rend(); ++clip)
        {
            auto* clipElement = new juce::XmlElement (clipTag);
            clipElement->setAttribute (trackId, (*clip)->track);
            clipElement->setAttribute (startQId, (*clip)->startQ);
            clipElement->setAttribute (lengthQId, (*clip)->lengthQ);

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

    bool isStateDocument (const juce::XmlElement* document) noexcept
    {
        return document != nullptr && document->getTagName() == rootTag;
    }

    std::vector<ClipData> readClips (const juce::XmlElement* document)
    {
        std::vector<ClipData> clips;
        if (! isStateDocument (document))
            return clips;

        for (auto* clipElement : document->getChildIterator())
        {
            if (! clipElement->getTagName().equalsIgnoreCase (clipTag.toString()))
                continue;

            ClipData clip;
            clip.track = readInt (*clipElement, trackId, 0);
            clip.startQ = readInt (*clipElement, startQId, 0);
            clip.lengthQ = readInt (*clipElement, lengthQId, 4);

            for (auto* noteElement : clipElement->getChildIterator())
            {
                if (! noteElement->getTagName().equalsIgnoreCase (noteTag.toString()))
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

    bool isValidUtf8 (const void* bytes, size_t size) noexcept
    {
        const auto* p = static_cast<const juce::uint8*> (bytes);
        const auto* end = p + size;

        while (p < end)
        {
            const auto lead = *p++;
            if (lead < 0x80)
                continue;

            int extra = 0;
            juce::uint32 value = 0;
            if ((lead & 0xe0) == 0xc0)
            {
                extra = 1;
                value = lead & 0x1fu;
            }
            else if ((lead & 0xf0) == 0xe0)
            {
                extra = 2;
                value = lead & 0x0fu;
            }
            else if ((lead & 0xf8) == 0xf0)
            {
                extra = 3;
                value = lead & 0x07u;
            }
            else
                return false;

            if (end - p < extra)
                return false;

            for (int i = 0; i < extra; ++i)
            {
                if ((p[i] & 0xc0) != 0x80)
                    return false;
                value = (value << 6) | (p[i] & 0x3fu);
            }

            // Overlong forms, surrogates and values beyond Unicode.
            constexpr juce::uint32 smallest[] = { 0, 0x80, 0x800, 0x10000 };
            if (value < smallest[extra] || value > 0x10ffff || (value >= 0xd800 && value <= 0xdfff))
                return false;

            p += extra;
        }

        return true;
    }

    namespace
    {
        /** The characters XML counts as white space. */
        constexpr std::string_view blanks = " \t\r\n";

        /** True when text (what follows an '&') starts with the rest of one of
            XML's five entity references or of a character reference to a
            Unicode code point, ';' included.
            JUCE's XML parser reads an unknown entity name that starts with '<'
            as a nested document, and a numeric reference without its ';' at
            the end of a text makes it read past that end.
        */
        bool startsReference (std::string_view text) noexcept
        {
            for (std::string_view name : { "amp;", "lt;", "gt;", "quot;", "apos;" })
                if (text.substr (0, name.size()) == name)
                    return true;

            if (text.empty() || text.front() != '#')
                return false;

            text.remove_prefix (1);
            const auto hex = ! text.empty() && (text.front() == 'x' || text.front() == 'X');
            if (hex)
                text.remove_prefix (1);

            // Six hex or seven decimal digits reach beyond 0x10ffff without overflowing.
            const size_t maxDigits = hex ? 6 : 7;
            juce::uint32 value = 0;
            size_t digits = 0;

            for (; digits < text.size() && digits <= maxDigits; ++digits)
            {
                const auto c = static_cast<unsigned char> (text[digits]);
                const auto digit = hex ? juce::CharacterFunctions::getHexDigitValue (c) : (c >= '0' && c <= '9' ? c - '0' : -1);
                if (digit < 0)
                    break;

                value = value * (hex ? 16u : 10u) + static_cast<juce::uint32> (digit);
            }

            return digits > 0 && digits <= maxDigits && digits < text.size() && text[digits] == ';'
                && value > 0 && value <= 0x10ffff;
        }

        /** Walks the tags of text as JUCE's parser does and returns how deeply
            its elements nest, or -1 when a tag has another shape than the ones
            JUCE writes: <name attribute="value" ...>, <name .../> and </name>,
            with no '<' inside a value. On such tags the parser recurses exactly
            as often as the count, and never more where it stops on an error.
        */
        int plainElementDepth (std::string_view text) noexcept
        {
            size_t i = 0;
            const auto at = [&] (char c) { return i < text.size() && text[i] == c; };

            const auto skipBlanks = [&] {
                const auto start = i;
                i = juce::jmin (text.size(), text.find_first_not_of (blanks, i));
                return i > start;
            };

            const auto skipName = [&] {
                const auto start = i;
                for (; i < text.size(); ++i)
                {
                    const auto c = static_cast<unsigned char> (text[i]);
                    if (! (c >= 0x80 || juce::CharacterFunctions::isLetterOrDigit (static_cast<char> (c))
                           || c == '_' || c == '-' || c == ':' || c == '.'))
                        break;
                }
                return i > start;
            };

            int depth = 0, deepest = 0;

            while ((i = text.find ('<', i)) != std::string_view::npos)
            {
                ++i;

                // A closing tag ends the innermost element, whatever its name.
                if (at ('/'))
                {
                    ++i;
                    if (! skipName())
                        return -1;

                    skipBlanks();
                    if (! at ('>'))
                        return -1;

                    ++i;
                    depth = juce::jmax (0, depth - 1);
                    continue;
                }

                if (! skipName())
                    return -1;

                for (;;)
                {
                    const auto spaced = skipBlanks();

                    if (at ('>'))
                    {
                        ++i;
                        deepest = juce::jmax (deepest, ++depth);
                        break;
                    }

                    if (text.substr (i, 2) == "/>")
                    {
                        i += 2;
                        break;
                    }

                    if (! spaced || ! skipName())
                        return -1;

                    skipBlanks();
                    if (! at ('='))
                        return -1;

                    ++i;
                    skipBlanks();
                    if (! at ('"') && ! at ('\''))
                        return -1;

                    const auto quote = text[i++];
                    const auto close = text.find (quote, i);
                    if (close == std::string_view::npos || text.substr (i, close - i).find ('<') != std::string_view::npos)
                        return -1;

                    i = close + 1;
                }
            }

            return deepest;
        }
    } // namespace

    bool isPlainDocumentText (const char* text, size_t size) noexcept
    {
        std::string_view view (text, size);
        view = view.substr (0, view.find ('\0'));

        const auto firstNonBlank = view.find_first_not_of (blanks);
        if (firstNonBlank != std::string_view::npos && view.substr (firstNonBlank, 5) == "<?xml")
        {
            const auto declarationEnd = view.find ("?>", firstNonBlank);
            if (declarationEnd == std::string_view::npos)
                return false;
            view.remove_prefix (declarationEnd + 2);
        }

        // A document ends with the close of its root; text cut off in the middle
        // of an entity or a tag makes the parser read past its end.
        const auto lastNonBlank = view.find_last_not_of (blanks);
        if (lastNonBlank == std::string_view::npos || view[lastNonBlank] != '>')
            return false;

        for (auto ampersand = view.find ('&'); ampersand != std::string_view::npos; ampersand = view.find ('&', ampersand + 1))
            if (! startsReference (view.substr (ampersand + 1)))
                return false;

        const auto depth = plainElementDepth (view);
        return depth >= 0 && depth <= maxElementDepth;
    }

    std::unique_ptr<juce::XmlElement> decodeBlob (const void* data, int size)
    {
        constexpr juce::uint32 magic = 0x21324356; // "VC2!"

        if (data == nullptr || size <= 8 || juce::ByteOrder::littleEndianInt (data) != magic)
            return {};

        const auto length = static_cast<int> (juce::ByteOrder::littleEndianInt (juce::addBytesToPointer (data, 4)));
        if (length <= 0)
            return {};

        const auto* text = static_cast<const char*> (data) + 8;
        return parseText (text, static_cast<size_t> (juce::jmin (size - 8, length)));
    }

    std::unique_ptr<juce::XmlElement> parseText (const char* text, size_t size)
    {
        if (size > static_cast<size_t> (std::numeric_limits<int>::max()) || ! isValidUtf8 (text, size) || ! isPlainDocumentText (text, size))
            return {};

        return juce::parseXML (juce::String::fromUTF8 (text, static_cast<int> (size)));
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
