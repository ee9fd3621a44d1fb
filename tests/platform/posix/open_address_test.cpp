// Opening a web address: the opener found on PATH gets the address as its one argument,
// untouched by any shell, and the caller never waits for it.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "platform/open_address.h"
#include "support/scratch_folder.h"

namespace {

std::string readText(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Waits (at most 10 s) for a file to appear.
bool appears(const std::string& path) {
    for (int i = 0; i < 1000; ++i) {
        if (std::filesystem::exists(path)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// A fake xdg-open first on PATH: it records its arguments, one a line, then holds on
// until the test releases it (or 10 s have passed) and says which came first.
class OpenAddress : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = makeScratchFolder("orvan_open_");
        ASSERT_FALSE(dir_.empty());
        const std::string script = dir_ + "/xdg-open";
        std::ofstream(script) << "#!/bin/sh\n"
                                 "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$ORVAN_FAKE_DIR/args.tmp\"\n"
                                 "mv \"$ORVAN_FAKE_DIR/args.tmp\" \"$ORVAN_FAKE_DIR/args\"\n"
                                 "i=0\n"
                                 "while [ ! -e \"$ORVAN_FAKE_DIR/release\" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i+1)); done\n"
                                 "if [ -e \"$ORVAN_FAKE_DIR/release\" ]; then r=released; else r=timeout; fi\n"
                                 "echo $r > \"$ORVAN_FAKE_DIR/end.tmp\"; mv \"$ORVAN_FAKE_DIR/end.tmp\" \"$ORVAN_FAKE_DIR/end\"\n";
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
        const char* path = std::getenv("PATH");
        savedPath_ = path != nullptr ? path : "";
        setenv("PATH", (dir_ + ":" + savedPath_).c_str(), 1);
        setenv("ORVAN_FAKE_DIR", dir_.c_str(), 1);
    }
    void TearDown() override {
        setenv("PATH", savedPath_.c_str(), 1);
        unsetenv("ORVAN_FAKE_DIR");
        std::error_code ignored;
        if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
    }

    std::string dir_, savedPath_;
};

TEST_F(OpenAddress, TheOpenerGetsTheAddressAsOneArgumentAndTheCallerDoesNotWaitForIt) {
    const char* url = "https://example.org/a page?x=1&y='2' $HOME;`true`";
    ASSERT_TRUE(qbOpenAddress(url));
    // Released only after the call has returned: a caller that waited would have let the
    // opener run out its time first.
    std::ofstream(dir_ + "/release") << "go";
    ASSERT_TRUE(appears(dir_ + "/args"));
    EXPECT_EQ(readText(dir_ + "/args"), std::string(url) + "\n");
    ASSERT_TRUE(appears(dir_ + "/end"));
    EXPECT_EQ(readText(dir_ + "/end"), "released\n");
}

TEST_F(OpenAddress, FinishedOpenersAreReapedByLaterCalls) {
    std::ofstream(dir_ + "/release") << "go";
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(qbOpenAddress("https://example.org/"));
        ASSERT_TRUE(appears(dir_ + "/end"));
        std::filesystem::remove(dir_ + "/end");
    }
    // Once the openers have ended, a later call leaves no child of this process behind,
    // not even a finished one (looked at without reaping it here).
    bool noChildren = false;
    for (int i = 0; i < 500 && !noChildren; ++i) {
        EXPECT_FALSE(qbOpenAddress(""));
        siginfo_t info{};
        noChildren = waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) == -1 && errno == ECHILD;
        if (!noChildren) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(noChildren);
}

TEST_F(OpenAddress, AnEmptyAddressStartsNothing) {
    EXPECT_FALSE(qbOpenAddress(""));
    EXPECT_FALSE(qbOpenAddress(nullptr));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(std::filesystem::exists(dir_ + "/args"));
}

TEST_F(OpenAddress, AnswersFalseWhenNoOpenerCanBeFound) {
    setenv("PATH", (dir_ + "/nowhere").c_str(), 1);
    EXPECT_FALSE(qbOpenAddress("https://example.org/"));
}

}  // namespace
