#include "dsp/framework/event_pool.h"

QB_EventPool::QB_EventPool(size_t capacity) : storage_(new QB_Event[capacity]()), capacity_(capacity) {
    for (size_t i = capacity; i-- > 0;) {
        storage_[i].next = freeList_;
        freeList_ = &storage_[i];
    }
}
