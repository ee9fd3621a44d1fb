// The command module in the processor: the save button writes the bank file on its
// release, the address buttons open their address once per press, and neither runs on
// the audio thread.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "dsp/modules/os_command.h"
#include "platform/bank_file.h"
#include "plugin/identity.h"
#include "support/processor_fixture.h"
#include "support/scoped_environment.h"
#include "support/scratch_folder.h"
#include "support/voice_graph.h"

namespace {

// Stand-in opener: counts calls; while `hold` is set it blocks until released.
std::mutex openedMutex;
std::vector<std::string> opened;
std::atomic<bool> hold{false};
std::promise<void>* release = nullptr;
bool standInOpener(const char* url) {
    {
        std::lock_guard<std::mutex> lock(openedMutex);
        opened.push_back(url);
    }
    if (hold.load()) release->get_future().wait();
    return true;
}
size_t openedCount() {
    std::lock_guard<std::mutex> lock(openedMutex);
    return opened.size();
}
// Waits (at most two seconds) for the service thread to have opened n addresses.
bool waitForOpened(size_t n) {
    for (int i = 0; i < 200 && openedCount() < n; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return openedCount() >= n;
}

// Presses (graph value 0.1, display 1) or releases a control as the editor would, then
// lets the audio thread take the event.
void set(ProcessorRig& rig, int32_t control, float value) {
    rig.vst->setControlFromModule(control, value, 1);
    rig.process(64);
}

// The service thread may be the one that writes: wait (at most two seconds) for the file,
// which appears whole or not at all.
bool waitForFile(const std::string& path) {
    for (int i = 0; i < 200 && !std::filesystem::exists(path); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return std::filesystem::exists(path);
}

std::vector<char> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(CommandModule, TheShippedGraphBuildsAll45ModulesWithTheCommandModuleFourth) {
    ProcessorRig rig;
    EXPECT_EQ(rig.vst->moduleCount, 45);
    EXPECT_NE(dynamic_cast<QB_DSP_OS_Command*>(rig.vst->moduleTable[3]), nullptr);
}

TEST(CommandModule, ASavePressThenReleaseWritesTheBankFileOnceOnTheRelease) {
    const std::string root = makeScratchFolder("orvan_save_");
    ASSERT_FALSE(root.empty());
    ScopedEnvironment data("XDG_DATA_HOME", root.c_str());
    const std::string path = qbBankFilePath();
    std::error_code ignored;
    std::filesystem::remove(path, ignored);  // where the path is fixed (Windows), an earlier run's file
    ProcessorRig rig;
    QB_DSP_VST& v = *rig.vst;
    v.suspend();
    v.setGraphDefinition(commandTestGraph());
    v.resume();
    v.setProgram(2);
    char name[] = "Saved Here";
    v.setProgramName(name);

    set(rig, kCommandSaveControl, 0.1f);  // press
    v.serviceRequests();
    EXPECT_FALSE(std::filesystem::exists(path));
    set(rig, kCommandSaveControl, 0.f);  // release
    v.serviceRequests();
    ASSERT_TRUE(waitForFile(path));
    const std::vector<char> file = readFile(path);
    ASSERT_EQ(file.size(), 6240u);
    // The 16 programs at a stride of 390, each as the bank chunk holds it at 392.
    void* chunk = nullptr;
    ASSERT_EQ(v.getChunk(&chunk, false), 6272);
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(std::memcmp(file.data() + 390 * k, static_cast<const char*>(chunk) + 392 * k, 390), 0) << k;
    EXPECT_STREQ(file.data() + 390 * 2 + 364, "Saved Here");

    // Only the press and release pair writes: another release, or processing on, does not.
    std::filesystem::remove(path);
    set(rig, kCommandSaveControl, 0.f);
    rig.process(4096);
    v.serviceRequests();
    std::this_thread::sleep_for(std::chrono::milliseconds(120));  // two service periods
    EXPECT_FALSE(std::filesystem::exists(path));
    std::filesystem::remove_all(root);
}

TEST(CommandModule, AnAddressButtonOpensItsAddressOncePerPressOffTheAudioThread) {
    ProcessorRig rig;  // the shipped graph: control 38 reaches the command module's port 0
    QB_DSP_VST& v = *rig.vst;
    v.addressOpener = standInOpener;
    {
        std::lock_guard<std::mutex> lock(openedMutex);
        opened.clear();
    }
    std::promise<void> unblock;
    release = &unblock;
    hold = true;
    const auto started = std::chrono::steady_clock::now();
    set(rig, QB_Control::kCommand, 0.1f);  // press
    set(rig, QB_Control::kCommand, 0.f);   // release: opens nothing
    // The opener blocks on the service thread; audio goes on meanwhile.
    ASSERT_TRUE(waitForOpened(1));
    for (int i = 0; i < 20; ++i) rig.process(512);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    hold = false;
    unblock.set_value();
    set(rig, QB_Control::kCommand, 0.1f);
    ASSERT_TRUE(waitForOpened(2));
    std::this_thread::sleep_for(std::chrono::milliseconds(120));  // two service periods
    std::lock_guard<std::mutex> lock(openedMutex);
    EXPECT_EQ(opened, (std::vector<std::string>{kQbCommandAddresses[0], kQbCommandAddresses[0]}));
}

TEST(CommandModule, AnEmptyAddressOpensNothing) {
    ProcessorRig rig;
    QB_DSP_VST& v = *rig.vst;
    v.addressOpener = standInOpener;
    {
        std::lock_guard<std::mutex> lock(openedMutex);
        opened.clear();
    }
    ASSERT_EQ(kQbCommandAddresses[3][0], '\0');
    v.openAddress(3);
    v.openAddress(1);
    EXPECT_EQ(openedCount(), 1u);
}

}  // namespace
