// The command module's requests cross from the audio thread to the processor's service
// thread: bank saves and address openings asked for while audio runs and programs change
// must be race-free, and each press must open its address once.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <thread>
#include <vector>

#include "platform/bank_file.h"
#include "support/processor_fixture.h"
#include "support/scoped_environment.h"
#include "support/scratch_folder.h"
#include "support/voice_graph.h"

namespace {

std::atomic<int> openings{0};
bool countingOpener(const char*) {
    openings.fetch_add(1);
    return true;
}

TEST(CommandThreads, SavesAndOpeningsAskedForWhileAudioRunsAreCarriedOutRaceFree) {
    const std::string root = makeScratchFolder("orvan_save_threads_");
    ASSERT_FALSE(root.empty());
    ScopedEnvironment data("XDG_DATA_HOME", root.c_str());
    ProcessorRig rig(44100.f, 64);
    QB_DSP_VST& v = *rig.vst;
    v.suspend();
    v.setGraphDefinition(commandTestGraph());
    v.addressOpener = countingOpener;
    v.resume();

    std::atomic<bool> stop{false};
    std::thread audio([&] {
        std::vector<float> silence(64, 0.f), outL(64), outR(64);
        float* in[2] = {silence.data(), silence.data()};
        float* out[2] = {outL.data(), outR.data()};
        while (!stop.load(std::memory_order_acquire)) v.processReplacing(in, out, 64);
    });
    // One press and release of each button per round, with time for the audio thread to
    // take each event; programs and names change meanwhile.
    constexpr int kRounds = 30;
    for (int round = 0; round < kRounds; ++round) {
        v.setProgram(round % kNumPrograms);
        char name[] = "Round";
        v.setProgramName(name);
        for (int32_t control : {kCommandSaveControl, QB_Control::kCommand}) {
            v.setControlFromModule(control, 0.1f, 1);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            v.setControlFromModule(control, 0.f, 1);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    stop.store(true, std::memory_order_release);
    audio.join();
    for (int i = 0; i < 200 && openings.load() < kRounds; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    v.serviceRequests();
    // Every press opens once, however many fall into one service round.
    EXPECT_EQ(openings.load(), kRounds);
    EXPECT_EQ(std::filesystem::file_size(qbBankFilePath()), 6240u);
    rig.vst.reset();
    std::filesystem::remove_all(root);
}

}  // namespace
