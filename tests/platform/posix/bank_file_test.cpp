// The bank file: where it goes, and that a write that fails leaves the previous file whole.
#include "platform/bank_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#if defined(__unix__)
#include <csignal>
#include <sys/resource.h>
#endif

#include "support/scoped_environment.h"
#include "support/scratch_folder.h"

namespace {

namespace fs = std::filesystem;

std::vector<char> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<char> pattern(size_t size, char seed) {
    std::vector<char> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(seed + i * 7);
    return bytes;
}

// Every name in folder: a failed write must not leave its temporary file behind.
std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    return names;
}

TEST(BankFilePath, IsInTheProductsFolderOfTheUsersDataFolder) {
    {
        ScopedEnvironment data("XDG_DATA_HOME", "/data/me/");
        EXPECT_EQ(qbBankFilePath(), "/data/me/Orvan EQ/VST_PatchMemoryBanks.mem");
    }
    ScopedEnvironment home("HOME", "/home/someone");
    for (const char* ignored : {"relative/data", "", static_cast<const char*>(nullptr)}) {
        ScopedEnvironment data("XDG_DATA_HOME", ignored);
        EXPECT_EQ(qbBankFilePath(), "/home/someone/.local/share/Orvan EQ/VST_PatchMemoryBanks.mem");
    }
    ScopedEnvironment data("XDG_DATA_HOME", nullptr);
    ScopedEnvironment noHome("HOME", nullptr);
    EXPECT_EQ(qbBankFilePath(), "");
    EXPECT_FALSE(qbWriteBankFile("x", 1));
}

TEST(BankFile, IsWrittenIntoFoldersItCreatesAndReplacedWhole) {
    const std::string root = makeScratchFolder("orvan_bankfile_");
    ASSERT_FALSE(root.empty());
    ScopedEnvironment data("XDG_DATA_HOME", (root + "/share").c_str());
    const std::vector<char> first = pattern(6240, 1), second = pattern(6240, 9);
    ASSERT_TRUE(qbWriteBankFile(first.data(), first.size()));
    EXPECT_EQ(readFile(qbBankFilePath()), first);
    ASSERT_TRUE(qbWriteBankFile(second.data(), second.size()));
    EXPECT_EQ(readFile(qbBankFilePath()), second);
    EXPECT_EQ(namesIn(root + "/share/Orvan EQ"), std::vector<std::string>{"VST_PatchMemoryBanks.mem"});
    fs::remove_all(root);
}

TEST(BankFile, AWriteThatCannotMakeItsFolderFails) {
    const std::string root = makeScratchFolder("orvan_bankfile_");
    ASSERT_FALSE(root.empty());
    std::ofstream(root + "/plain").put('x');
    ScopedEnvironment data("XDG_DATA_HOME", (root + "/plain").c_str());  // a file, not a folder
    EXPECT_FALSE(qbWriteBankFile("bank", 4));
    fs::remove_all(root);
}

#if defined(__unix__)
// A write cut short (here by a file size limit, as a full disk would) fails and leaves
// the previous file and nothing else.
TEST(BankFile, AWriteCutShortLeavesThePreviousFileWhole) {
    const std::string root = makeScratchFolder("orvan_bankfile_");
    ASSERT_FALSE(root.empty());
    const std::string path = root + "/bank.mem";
    const std::vector<char> old = pattern(6240, 3), next = pattern(6240, 5);
    ASSERT_TRUE(qbReplaceFile(path, old.data(), old.size()));

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    void (*savedHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = qbReplaceFile(path, next.data(), next.size());
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, savedHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(readFile(path), old);
    EXPECT_EQ(namesIn(root), std::vector<std::string>{"bank.mem"});
    fs::remove_all(root);
}
#endif

}  // namespace
