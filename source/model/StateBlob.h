#pragma once

#include <juce_core/juce_core.h>

#include <memory>

//==============================================================================
/** The host's state blob: "VC2!", a 32-bit little-endian length, the state
    document as single-line UTF-8 XML, a zero byte (what
    juce::AudioProcessor::copyXmlToBinary writes and getXmlFromBinary reads).

    The blob is written by copyXmlToBinary itself; whatever a host hands back
    is read here, by SafeXml, which refuses text that could not be read safely.
*/
namespace StateBlob
{
    /** The document of a blob, as juce::AudioProcessor::getXmlFromBinary
        decodes it: null when the blob is 8 bytes or less, has another magic,
        a length of 0 or less, or text that is not a document (or not one that
        can be read safely). A length beyond the bytes given is cut to them.
    */
    std::unique_ptr<juce::XmlElement> decode (const void* data, int size);

    /** The document of state text (UTF-8, size bytes, not necessarily ending
        in a zero byte): null unless it is a well-formed XML document that can
        be read safely.
    */
    std::unique_ptr<juce::XmlElement> parseText (const char* text, size_t size);
} // namespace StateBlob
