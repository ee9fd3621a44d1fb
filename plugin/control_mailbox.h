// Lock-free hand-off of control changes between one producing and one consuming thread.
//
// Changes travel through a fixed ring in the order they were made, so a press followed by
// a release both arrive. When the ring is full a change is not lost: the control's latest
// value is always kept beside the ring and its dirty bit set, and the consumer applies the
// latest values of dirty controls after the queued ones.
#pragma once

#include <atomic>
#include <cstdint>
#include <type_traits>

#include "platform/bit_ops.h"

struct QB_ControlMessage {
    int32_t control;   // 0..40, or kProgramChange
    float value;       // graph units
    float normalised;  // 0..1 (for host parameters)
};
static_assert(std::is_trivially_copyable<QB_ControlMessage>::value, "messages are plain records");

class QB_ControlMailbox {
public:
    static constexpr uint32_t kCapacity = 1024;  // power of two
    static constexpr int32_t kSlots = 63;         // controls 0..62
    static constexpr int32_t kProgramChange = 63; // a program was loaded

    QB_ControlMailbox() {
        for (auto& v : latestValue_) v.store(0.f, std::memory_order_relaxed);
        for (auto& v : latestNormalised_) v.store(0.f, std::memory_order_relaxed);
    }

    // Producer side. Never blocks or allocates.
    void push(const QB_ControlMessage& m) {
        if (m.control < 0 || m.control > kProgramChange) return;
        latestValue_[m.control].store(m.value, std::memory_order_relaxed);
        latestNormalised_[m.control].store(m.normalised, std::memory_order_relaxed);
        const uint32_t tail = tail_.load(std::memory_order_relaxed);
        const uint32_t head = head_.load(std::memory_order_acquire);
        if (tail - head >= kCapacity) {
            dirty_.fetch_or(uint64_t{1} << m.control, std::memory_order_release);
            return;
        }
        ring_[tail & (kCapacity - 1)] = m;
        tail_.store(tail + 1, std::memory_order_release);
    }

    // Consumer side: calls apply(message) for every queued change in order, then for the
    // latest value of every control whose change overflowed the ring.
    template <class Apply>
    void drain(Apply&& apply) {
        // Overflow bits are taken before the ring's end is read: every change queued ahead
        // of an overflowed one is then applied first, and the latest value comes last.
        uint64_t bits = dirty_.exchange(0, std::memory_order_acquire);
        uint32_t head = head_.load(std::memory_order_relaxed);
        const uint32_t tail = tail_.load(std::memory_order_acquire);
        while (head != tail) {
            const QB_ControlMessage m = ring_[head & (kCapacity - 1)];
            ++head;
            head_.store(head, std::memory_order_release);
            apply(m);
        }
        while (bits != 0) {
            const int32_t k = qbLowestSetBit(bits);
            bits &= bits - 1;
            apply(QB_ControlMessage{k, latestValue_[k].load(std::memory_order_relaxed),
                                    latestNormalised_[k].load(std::memory_order_relaxed)});
        }
    }

    // Consumer side: forgets every pending change.
    void clear() {
        drain([](const QB_ControlMessage&) {});
    }

    bool empty() const {
        return head_.load(std::memory_order_acquire) == tail_.load(std::memory_order_acquire) &&
               dirty_.load(std::memory_order_acquire) == 0;
    }

private:
    QB_ControlMessage ring_[kCapacity];
    alignas(64) std::atomic<uint32_t> head_{0};
    alignas(64) std::atomic<uint32_t> tail_{0};
    std::atomic<uint64_t> dirty_{0};
    std::atomic<float> latestValue_[kProgramChange + 1];
    std::atomic<float> latestNormalised_[kProgramChange + 1];

    static_assert((kCapacity & (kCapacity - 1)) == 0, "the ring index wraps with a mask");
    static_assert(kProgramChange < 64, "one dirty bit per slot");
    static_assert(std::atomic<uint32_t>::is_always_lock_free && std::atomic<uint64_t>::is_always_lock_free &&
                      std::atomic<float>::is_always_lock_free,
                  "the audio thread must never wait on a lock inside an atomic");
};
