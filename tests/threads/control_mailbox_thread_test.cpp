#include "plugin/control_mailbox.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

// One thread produces a long stream of changes while another drains; the consumer must end
// with the producer's last value for every control.
TEST(ControlMailboxThreads, TheConsumerEndsWithTheProducersLastValues) {
    QB_ControlMailbox box;
    constexpr int kControls = 41;
    constexpr int kRounds = 20000;
    std::atomic<bool> done{false};
    float seen[kControls] = {};
    std::thread consumer([&] {
        auto apply = [&](const QB_ControlMessage& m) {
            if (m.control >= kControls) return;
            seen[m.control] = m.value;
        };
        while (!done.load(std::memory_order_acquire)) box.drain(apply);
        box.drain(apply);
    });
    for (int r = 1; r <= kRounds; ++r)
        for (int c = 0; c < kControls; ++c) box.push({c, float(r), 0.f});
    done.store(true, std::memory_order_release);
    consumer.join();
    for (int c = 0; c < kControls; ++c) EXPECT_EQ(seen[c], float(kRounds)) << c;
}

}  // namespace
