// Opening a web address: the opener gets the address as one argument, untouched by any
// shell, and the call returns without waiting for it.
#include "platform/open_address.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "support/scoped_environment.h"
#include "support/scratch_folder.h"

#if defined(__unix__)
namespace {

namespace fs = std::filesystem;

TEST(OpenAddress, StartsTheOpenerWithTheAddressAsItsOneArgumentAndDoesNotWaitForIt) {
    const std::string folder = makeScratchFolder("orvan_open_");
    ASSERT_FALSE(folder.empty());
    // A stand-in opener on the PATH: records its arguments, then takes its time.
    const std::string script = folder + "/xdg-open";
    std::ofstream(script) << "#!/bin/sh\nprintf '%s|' \"$@\" > \"" << folder << "/args.tmp\"\nmv \"" << folder
                          << "/args.tmp\" \"" << folder << "/args\"\nsleep 2\n";
    fs::permissions(script, fs::perms::owner_all);
    ScopedEnvironment path("PATH", (folder + ":/usr/bin:/bin").c_str());

    const std::string url = "https://orvan-eq.example/a b;touch " + folder + "/pwned $(touch " + folder + "/pwned)";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(qbOpenAddress(url.c_str()));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    for (int i = 0; i < 300 && !fs::exists(folder + "/args"); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::ifstream in(folder + "/args");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), url + "|");
    EXPECT_FALSE(fs::exists(folder + "/pwned"));
    fs::remove_all(folder);
}

TEST(OpenAddress, AnEmptyAddressStartsNothing) {
    const std::string folder = makeScratchFolder("orvan_open_");
    ASSERT_FALSE(folder.empty());
    ScopedEnvironment path("PATH", folder.c_str());  // no opener to start at all
    EXPECT_FALSE(qbOpenAddress(""));
    EXPECT_FALSE(qbOpenAddress(nullptr));
    EXPECT_FALSE(qbOpenAddress("https://orvan-eq.example/"));  // no opener found: reported
    fs::remove_all(folder);
}

}  // namespace
#endif
