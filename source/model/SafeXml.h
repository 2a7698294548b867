#pragma once

#include "model/Arrangement.h"

#include <juce_core/juce_core.h>

#include <memory>
#include <string_view>
#include <vector>

//==============================================================================
/**
    Reads XML text that may come from anywhere (a host's state, a hand-edited
    preset) without trusting it: a well-formed XML 1.0 document of any shape
    that XML writers produce, with comments, processing instructions, CDATA,
    a DOCTYPE, single or double quotes and any character references, is read;
    anything else is refused, never read past its end, never looped on.

    It is refused where reading it could cost without bound or would need
    what this reader does not do:
    - elements nested deeper than maxDepth (each level costs stack in
      whatever walks the tree later, and in XmlElement's destructor);
    - more than maxDistinctNames names of elements, attributes and the like
      (JUCE keeps each in a global pool, sorted, for good);
    - a DOCTYPE that declares entities or uses parameter entities: expanding
      declared entities can grow a few bytes into gigabytes, and an undeclared
      one cannot be read;
    - text that is not valid UTF-8, references to characters XML cannot hold
      (0, surrogates, beyond U+10FFFF), unknown entities, markup cut off.
    Attribute defaults a DOCTYPE declares are not applied.

    Text up to the first zero byte is read, as a C string would be.
*/
namespace SafeXml
{
    /** Elements nested deeper than this are refused: ours nest three deep. */
    constexpr int maxDepth = 256;

    /** Documents with more names than this are refused: ours have eleven. */
    constexpr size_t maxDistinctNames = 4096;

    struct Attribute
    {
        std::string_view name;
        juce::String value; ///< references replaced by the characters they stand for
    };

    /** What a reader hears of a document, in document order. */
    struct Handler
    {
        virtual ~Handler() = default;

        /** A start tag (or an empty element, followed at once by its end). */
        virtual void startElement (std::string_view name, const std::vector<Attribute>& attributes) = 0;
        virtual void endElement() = 0;

        /** Text inside an element that is not only white space (CDATA included). */
        virtual void text (const juce::String&) {}
    };

    /** Reads a document, telling handler as it goes: false when the text is
        refused (the handler may have heard part of it by then).
    */
    bool read (std::string_view text, Handler& handler);

    /** The most elements parse builds a tree of: the notes and clips of the
        largest arrangement, and room for others. Elements beyond it are read,
        but left out of the tree.
    */
    constexpr size_t maxTreeElements = (size_t) Arrangement::maxNotes + (size_t) Arrangement::maxClips + 65536;

    /** The document as an XmlElement tree, or null when it is refused. */
    std::unique_ptr<juce::XmlElement> parse (std::string_view text);

    /** True when bytes[0, size) are well-formed UTF-8 (no overlong forms,
        surrogates or values beyond U+10FFFF).
    */
    bool isValidUtf8 (const void* bytes, size_t size) noexcept;
} // namespace SafeXml
