#include "model/SafeXml.h"

#include <limits>
#include <unordered_set>

namespace SafeXml
{
    namespace
    {
        bool isBlank (char c) noexcept { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

        // The characters XML names start and go on with (those JUCE's XmlElement takes).
        bool isNameStart (juce::uint32 c) noexcept
        {
            return c == ':' || c == '_' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= 0xc0 && c <= 0xd6)
                || (c >= 0xd8 && c <= 0xf6) || (c >= 0xf8 && c <= 0x2ff) || (c >= 0x370 && c <= 0x37d) || (c >= 0x37f && c <= 0x1fff)
                || (c >= 0x200c && c <= 0x200d) || (c >= 0x2070 && c <= 0x218f) || (c >= 0x2c00 && c <= 0x2fef)
                || (c >= 0x3001 && c <= 0xd7ff) || (c >= 0xf900 && c <= 0xfdcf) || (c >= 0xfdf0 && c <= 0xfffd)
                || (c >= 0x10000 && c <= 0xeffff);
        }

        bool isNameChar (juce::uint32 c) noexcept
        {
            return isNameStart (c) || c == '-' || c == '.' || c == 0xb7 || (c >= '0' && c <= '9') || (c >= 0x300 && c <= 0x36f)
                || (c >= 0x203f && c <= 0x2040);
        }

        /** A character a reference may stand for: XML's characters but 0. */
        bool isReferableChar (juce::uint32 c) noexcept
        {
            return c > 0 && c <= 0x10ffff && ! (c >= 0xd800 && c <= 0xdfff);
        }

        /** The walk over one document. Every step moves forward or stops:
            the text is read once, and nothing reads beyond its end.
        */
        class Reader
        {
        public:
            Reader (std::string_view t, Handler& h) : text (t), handler (h) {}

            bool readDocument()
            {
                // A byte order mark, white space and an XML declaration may come first.
                if (startsWith ("\xef\xbb\xbf"))
                    pos += 3;

                skipBlanks();
                if (startsWith ("<?xml") && (pos + 5 >= text.size() || isBlank (text[pos + 5]) || text[pos + 5] == '?'))
                    if (! skipPast ("?>"))
                        return false;

                if (! readMisc())
                    return false;

                // What follows the root is not read, as JUCE's parser never read it.
                return readElementTree();
            }

        private:
            bool atEnd() const noexcept { return pos >= text.size(); }
            char peek (size_t ahead = 0) const noexcept { return pos + ahead < text.size() ? text[pos + ahead] : '\0'; }
            bool startsWith (std::string_view s) const noexcept { return text.substr (pos, s.size()) == s; }

            void skipBlanks() noexcept
            {
                while (! atEnd() && isBlank (text[pos]))
                    ++pos;
            }

            /** Moves past the next end, or fails when there is none. */
            bool skipPast (std::string_view end) noexcept
            {
                const auto found = text.find (end, pos);
                if (found == std::string_view::npos)
                    return false;

                pos = found + end.size();
                return true;
            }

            /** The code point at pos (the text is valid UTF-8), and its size in bytes. */
            std::pair<juce::uint32, size_t> codePoint() const noexcept
            {
                const auto lead = static_cast<juce::uint8> (text[pos]);
                if (lead < 0x80)
                    return { lead, 1 };

                const size_t size = lead >= 0xf0 ? 4 : (lead >= 0xe0 ? 3 : 2);
                juce::uint32 value = lead & (size == 4 ? 0x07u : (size == 3 ? 0x0fu : 0x1fu));
                for (size_t i = 1; i < size && pos + i < text.size(); ++i)
                    value = (value << 6) | (static_cast<juce::uint8> (text[pos + i]) & 0x3fu);
                return { value, size };
            }

            bool readName (std::string_view& name)
            {
                const auto start = pos;
                while (! atEnd())
                {
                    const auto [c, size] = codePoint();
                    if (! (pos == start ? isNameStart (c) : isNameChar (c)))
                        break;
                    pos += size;
                }

                name = text.substr (start, pos - start);
                if (name.empty())
                    return false;

                // JUCE keeps every name of an element or attribute in one
                // sorted pool for good, each new one inserted in place.
                if (distinctNames.size() < maxDistinctNames)
                    distinctNames.insert (name);
                else if (distinctNames.count (name) == 0)
                    return false;

                return true;
            }

            /** Comments, processing instructions and white space, and one DOCTYPE. */
            bool readMisc()
            {
                for (;;)
                {
                    skipBlanks();

                    if (startsWith ("<!--"))
                    {
                        pos += 4;
                        if (! skipPast ("-->"))
                            return false;
                    }
                    else if (startsWith ("<?"))
                    {
                        if (! readProcessingInstruction())
                            return false;
                    }
                    else if (! seenDoctype && startsWith ("<!DOCTYPE"))
                    {
                        seenDoctype = true;
                        if (! readDoctype())
                            return false;
                    }
                    else
                    {
                        return true;
                    }
                }
            }

            bool readProcessingInstruction()
            {
                pos += 2;
                std::string_view target;
                if (! readName (target))
                    return false;

                return skipPast ("?>");
            }

            /** <!DOCTYPE name (SYSTEM "..." | PUBLIC "..." "...")? [internal subset]? >
                The subset may declare elements, attribute lists and notations,
                which are passed over; it may not declare entities.
            */
            bool readDoctype()
            {
                pos += 9;
                if (! isBlank (peek()))
                    return false;

                skipBlanks();
                std::string_view name;
                if (! readName (name))
                    return false;

                for (;;)
                {
                    skipBlanks();
                    const auto c = peek();

                    if (c == '>')
                    {
                        ++pos;
                        return true;
                    }

                    if (c == '"' || c == '\'')
                    {
                        if (! skipQuoted())
                            return false;
                    }
                    else if (c == '[')
                    {
                        ++pos;
                        if (! readInternalSubset())
                            return false;
                    }
                    else if (startsWith ("SYSTEM") || startsWith ("PUBLIC"))
                    {
                        pos += 6;
                    }
                    else
                    {
                        return false;
                    }
                }
            }

            bool skipQuoted() noexcept
            {
                const auto quote = text[pos++];
                const auto close = text.find (quote, pos);
                if (close == std::string_view::npos)
                    return false;

                pos = close + 1;
                return true;
            }

            bool readInternalSubset()
            {
                for (;;)
                {
                    skipBlanks();

                    if (peek() == ']')
                    {
                        ++pos;
                        return true;
                    }

                    if (startsWith ("<!--"))
                    {
                        pos += 4;
                        if (! skipPast ("-->"))
                            return false;
                    }
                    else if (startsWith ("<?"))
                    {
                        if (! readProcessingInstruction())
                            return false;
                    }
                    else if (startsWith ("<!ELEMENT") || startsWith ("<!ATTLIST") || startsWith ("<!NOTATION"))
                    {
                        // Up to the '>' that ends it, passing over quoted literals.
                        pos += 2;
                        for (;;)
                        {
                            if (atEnd())
                                return false;

                            const auto c = text[pos];
                            if (c == '>')
                            {
                                ++pos;
                                break;
                            }

                            if (c == '"' || c == '\'')
                            {
                                if (! skipQuoted())
                                    return false;
                            }
                            else if (c == '%' || c == '<')
                            {
                                return false;
                            }
                            else
                            {
                                ++pos;
                            }
                        }
                    }
                    else
                    {
                        // <!ENTITY, a parameter entity reference, or anything else.
                        return false;
                    }
                }
            }

            /** A reference after its '&': appends the character(s) it stands for. */
            bool readReference (juce::String& out)
            {
                static constexpr std::pair<std::string_view, char> predefined[] {
                    { "amp;", '&' }, { "lt;", '<' }, { "gt;", '>' }, { "quot;", '"' }, { "apos;", '\'' }
                };

                for (const auto& [name, character] : predefined)
                {
                    if (startsWith (name))
                    {
                        pos += name.size();
                        out << character;
                        return true;
                    }
                }

                if (peek() != '#')
                    return false;

                ++pos;
                const auto hex = peek() == 'x' || peek() == 'X';
                if (hex)
                    ++pos;

                juce::uint32 value = 0;
                size_t digits = 0;
                for (; ! atEnd(); ++pos, ++digits)
                {
                    const auto c = text[pos];
                    const auto digit = hex ? juce::CharacterFunctions::getHexDigitValue ((juce::juce_wchar) (juce::uint8) c)
                                           : (c >= '0' && c <= '9' ? c - '0' : -1);
                    if (digit < 0)
                        break;

                    // Beyond U+10FFFF already: no need to read on, and no overflow.
                    if (value > 0x10ffff)
                        return false;

                    value = value * (hex ? 16u : 10u) + static_cast<juce::uint32> (digit);
                }

                if (digits == 0 || peek() != ';' || ! isReferableChar (value))
                    return false;

                ++pos;
                out << juce::String::charToString (static_cast<juce::juce_wchar> (value));
                return true;
            }

            /** Text from pos up to the next '<' (or, in an attribute value, the
                closing quote), references replaced.
            */
            bool readCharacters (juce::String& out, char stop)
            {
                while (! atEnd())
                {
                    const auto next = text.find_first_of (stop == '<' ? std::string_view ("<&") : (stop == '"' ? std::string_view ("\"<&") : std::string_view ("'<&")), pos);
                    const auto end = next == std::string_view::npos ? text.size() : next;
                    out += juce::String::fromUTF8 (text.data() + pos, static_cast<int> (end - pos));
                    pos = end;

                    if (atEnd() || text[pos] == stop)
                        return true;

                    if (text[pos] == '<')
                        return false; // only in attribute values: XML allows no '<' there

                    ++pos;
                    if (! readReference (out))
                        return false;
                }

                return true;
            }

            bool readAttributes (std::vector<Attribute>& attributes, bool& empty)
            {
                names.clear();
                for (;;)
                {
                    const auto spaced = isBlank (peek());
                    skipBlanks();

                    if (peek() == '>')
                    {
                        ++pos;
                        empty = false;
                        return true;
                    }

                    if (startsWith ("/>"))
                    {
                        pos += 2;
                        empty = true;
                        return true;
                    }

                    Attribute attribute;
                    if (! spaced || ! readName (attribute.name))
                        return false;

                    skipBlanks();
                    if (peek() != '=')
                        return false;

                    ++pos;
                    skipBlanks();
                    const auto quote = peek();
                    if (quote != '"' && quote != '\'')
                        return false;

                    ++pos;
                    if (! readCharacters (attribute.value, quote) || atEnd())
                        return false;

                    ++pos;

                    // An attribute named twice is not XML; as JUCE's parser did,
                    // the first one counts.
                    if (names.insert (attribute.name).second)
                        attributes.push_back (std::move (attribute));
                }
            }

            /** The root and everything inside it, without recursion. */
            bool readElementTree()
            {
                int depth = 0;
                std::vector<Attribute> attributes;
                juce::String pendingText;

                const auto flushText = [&] {
                    if (pendingText.containsNonWhitespaceChars())
                        handler.text (pendingText);
                    pendingText.clear();
                };

                do
                {
                    if (peek() != '<')
                    {
                        // Character data: only inside an element.
                        if (depth == 0 || ! readCharacters (pendingText, '<') || atEnd())
                            return false;
                        continue;
                    }

                    if (depth > 0 && startsWith ("<!--"))
                    {
                        pos += 4;
                        if (! skipPast ("-->"))
                            return false;
                    }
                    else if (depth > 0 && startsWith ("<![CDATA["))
                    {
                        pos += 9;
                        const auto close = text.find ("]]>", pos);
                        if (close == std::string_view::npos)
                            return false;

                        pendingText += juce::String::fromUTF8 (text.data() + pos, static_cast<int> (close - pos));
                        pos = close + 3;
                    }
                    else if (depth > 0 && startsWith ("<?"))
                    {
                        if (! readProcessingInstruction())
                            return false;
                    }
                    else if (startsWith ("</"))
                    {
                        // An end tag ends the innermost element. XML wants it to
                        // repeat that element's name; JUCE's parser never asked,
                        // and nothing depends on it, so neither does this reader.
                        pos += 2;
                        std::string_view name;
                        if (depth == 0 || ! readName (name))
                            return false;

                        skipBlanks();
                        if (peek() != '>')
                            return false;

                        ++pos;
                        flushText();
                        --depth;
                        handler.endElement();
                    }
                    else
                    {
                        ++pos;
                        std::string_view name;
                        bool empty = false;
                        attributes.clear();
                        if (depth >= maxDepth || ! readName (name) || ! readAttributes (attributes, empty))
                            return false;

                        flushText();
                        handler.startElement (name, attributes);

                        if (empty)
                            handler.endElement();
                        else
                            ++depth;
                    }
                }
                while (depth > 0);

                return true;
            }

            std::string_view text;
            Handler& handler;
            size_t pos = 0;
            std::unordered_set<std::string_view> names; // of the element being read
            std::unordered_set<std::string_view> distinctNames;
            bool seenDoctype = false;
        };
    } // namespace

    bool read (std::string_view text, Handler& handler)
    {
        text = text.substr (0, text.find ('\0'));
        if (text.size() > static_cast<size_t> (std::numeric_limits<int>::max()) || ! isValidUtf8 (text.data(), text.size()))
            return false;

        return Reader (text, handler).readDocument();
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
} // namespace SafeXml
