#include "model/SafeXml.h"

// The tree of a document, built from what the reader hears of it.

namespace SafeXml
{
    namespace
    {
        /** Builds the XmlElement tree of a document, up to maxTreeElements.
            An element's children are kept aside until it ends, then put in
            front one by one: XmlElement appends a child by walking past all
            the others, which a clip of a million notes would make quadratic.
        */
        struct TreeBuilder final : Handler
        {
            void startElement (std::string_view name, const std::vector<Attribute>& attributes) override
            {
                if (skipped > 0 || built == maxTreeElements)
                {
                    ++skipped;
                    return;
                }

                ++built;
                auto element = std::make_unique<juce::XmlElement> (juce::String::fromUTF8 (name.data(), static_cast<int> (name.size())));

                // Attributes in document order (each name once).
                for (const auto& attribute : attributes)
                    element->setAttribute (juce::Identifier (juce::String::fromUTF8 (attribute.name.data(), static_cast<int> (attribute.name.size()))),
                                           attribute.value);

                open.push_back ({ std::move (element), {} });
            }

            void endElement() override
            {
                if (skipped > 0)
                {
                    --skipped;
                    return;
                }

                auto done = std::move (open.back());
                open.pop_back();

                for (auto child = done.children.rbegin(); child != done.children.rend(); ++child)
                    done.element->prependChildElement (child->release());

                if (open.empty())
                    root = std::move (done.element);
                else
                    open.back().children.push_back (std::move (done.element));
            }

            void text (const juce::String& content) override
            {
                if (skipped == 0 && ! open.empty())
                    open.back().children.emplace_back (juce::XmlElement::createTextElement (content));
            }

            struct Open
            {
                std::unique_ptr<juce::XmlElement> element;
                std::vector<std::unique_ptr<juce::XmlElement>> children;
            };

            std::unique_ptr<juce::XmlElement> root;
            std::vector<Open> open;
            size_t built = 0;
            int skipped = 0; // depth inside an element left out
        };
    } // namespace

    std::unique_ptr<juce::XmlElement> parse (std::string_view text)
    {
        TreeBuilder builder;
        if (! read (text, builder))
            return {};

        return std::move (builder.root);
    }
} // namespace SafeXml
