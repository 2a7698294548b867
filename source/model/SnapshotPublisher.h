#pragma once

#include <juce_core/juce_core.h>

#include <atomic>
#include <memory>
#include <vector>

//==============================================================================
/** Hands immutable values from the message thread to one real-time reader
    (the audio thread) without locks, waits or allocation on the reader's side.

    The writer publishes by swapping one atomic pointer and keeps the value it
    replaced until the reader is known not to hold it; the reader announces the
    value it reads in a hazard slot. Retired values are freed by the writer,
    never by the reader.
*/
template <typename Value>
class SnapshotPublisher
{
public:
    SnapshotPublisher() = default;

    ~SnapshotPublisher()
    {
        jassert (hazard.load() == nullptr);
    }

    /** Writer: makes value the one the reader gets from now on. */
    void publish (std::shared_ptr<const Value> value)
    {
        if (owned != nullptr)
            retired.push_back (std::move (owned));

        owned = std::move (value);
        current.store (owned.get(), std::memory_order_seq_cst);
        collect();
    }

    /** Writer: frees the retired values the reader no longer reads. */
    void collect()
    {
        const auto* inUse = hazard.load (std::memory_order_seq_cst);
        retired.erase (std::remove_if (retired.begin(), retired.end(), [inUse] (const auto& v) { return v.get() != inUse; }),
                       retired.end());
    }

    /** Writer: the value published last. */
    const std::shared_ptr<const Value>& getPublished() const noexcept { return owned; }

    /** Reader: the value published last, valid until the ReadScope ends. */
    class ReadScope
    {
    public:
        explicit ReadScope (SnapshotPublisher& p) noexcept : publisher (p)
        {
            auto* candidate = publisher.current.load (std::memory_order_seq_cst);

            // Announce the value, then check that it was not replaced meanwhile:
            // once announced and still current, the writer keeps it alive.
            for (;;)
            {
                publisher.hazard.store (candidate, std::memory_order_seq_cst);
                auto* again = publisher.current.load (std::memory_order_seq_cst);
                if (again == candidate)
                    break;
                candidate = again;
            }

            value = candidate;
        }

        ~ReadScope() { publisher.hazard.store (nullptr, std::memory_order_seq_cst); }

        const Value* get() const noexcept { return value; }
        const Value* operator->() const noexcept { return value; }

    private:
        SnapshotPublisher& publisher;
        const Value* value = nullptr;

        JUCE_DECLARE_NON_COPYABLE (ReadScope)
    };

private:
    std::atomic<const Value*> current { nullptr };
    std::atomic<const Value*> hazard { nullptr };
    std::shared_ptr<const Value> owned;
    std::vector<std::shared_ptr<const Value>> retired;

    JUCE_DECLARE_NON_COPYABLE (SnapshotPublisher)
};
