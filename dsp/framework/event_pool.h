// Fixed-capacity pool of event records, owned by the graph host.
//
// Every module of one graph posts and frees events on the audio thread only, so the
// pool is a plain free list: no locks and no atomics. When the pool runs dry the new
// event is dropped and counted; nothing is overwritten.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "dsp/framework/event.h"

class QB_EventPool {
public:
    static constexpr size_t kDefaultCapacity = 8192;

    explicit QB_EventPool(size_t capacity = kDefaultCapacity);
    QB_EventPool(const QB_EventPool&) = delete;
    QB_EventPool& operator=(const QB_EventPool&) = delete;

    // Takes a record from the pool, or answers nullptr when none is left.
    QB_Event* take() noexcept {
        QB_Event* e = freeList_;
        if (e == nullptr) {
            ++dropped_;
            return nullptr;
        }
        freeList_ = e->next;
        ++inUse_;
        return e;
    }

    // Returns a record taken from this pool.
    void give(QB_Event* e) noexcept {
        e->next = freeList_;
        e->prev = nullptr;
        freeList_ = e;
        --inUse_;
    }

    size_t capacity() const noexcept { return capacity_; }
    size_t inUse() const noexcept { return inUse_; }
    uint64_t dropped() const noexcept { return dropped_; }

private:
    std::unique_ptr<QB_Event[]> storage_;
    QB_Event* freeList_ = nullptr;
    size_t capacity_;
    size_t inUse_ = 0;
    uint64_t dropped_ = 0;
};
