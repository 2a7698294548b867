#include "model/StateBlob.h"

#include "model/SafeXml.h"

namespace StateBlob
{
    namespace
    {
        constexpr juce::uint32 magic = 0x21324356; // "VC2!"
    }                                              // namespace

    std::unique_ptr<juce::XmlElement> decode (const void* data, int size)
    {
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
        return SafeXml::parse ({ text, size });
    }
} // namespace StateBlob
