#include "model/StateDocument.h"

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
    } // namespace

    std::unique_ptr<juce::XmlElement> createRoot (const juce::String& midiFolderPath)
    {
        auto root = std::make_unique<juce::XmlElement> (rootTag);
        if (midiFolderPath.isNotEmpty())
            root->setAttribute (midiFolderAttribute, midiFolderPath);
        return root;
    }

    void appendClip (juce::XmlElement& root, const ClipData& clip)
    {
        auto* clipElement = root.createNewChildElement (clipTag);
        clipElement->setAttribute (trackId, clip.track);
        clipElement->setAttribute (startQId, clip.startQ);
        clipElement->setAttribute (lengthQId, clip.lengthQ);

        for (const auto& note : clip.notes)
        {
            auto* noteElement = clipElement->createNewChildElement (noteTag);
            noteElement->setAttribute (pitchId, note.pitch);
            noteElement->setAttribute (startTickId, note.startTick);
            noteElement->setAttribute (lengthTicksId, note.lengthTicks);
            noteElement->setAttribute (velocityId, note.velocity);
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
        return static_cast<int> (juce::jlimit<juce::int64> (std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), value));
    }
} // namespace StateDocument
