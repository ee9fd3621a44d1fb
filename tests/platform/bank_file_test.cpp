// The developer's bank file: written whole at its fixed path, replacing what was there.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/bank_file.h"

namespace {

std::vector<unsigned char> readFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(BankFile, IsWrittenWholeAtItsPathAndReplacesAnEarlierLongerFile) {
#if defined(_WIN32)
    EXPECT_STREQ(kQbBankFilePath, "C:/VST_PatchMemoryBanks.mem");
#else
    EXPECT_STREQ(kQbBankFilePath, "VST_PatchMemoryBanks.mem");
#endif
    std::vector<unsigned char> bank(6240);
    for (size_t i = 0; i < bank.size(); ++i) bank[i] = static_cast<unsigned char>(i * 7 + 3);
    const std::vector<unsigned char> longer(9000, 0xee);
    ASSERT_TRUE(qbWriteBankFile(longer.data(), longer.size()));
    ASSERT_TRUE(qbWriteBankFile(bank.data(), bank.size()));
    EXPECT_EQ(readFile(kQbBankFilePath), bank);
    std::remove(kQbBankFilePath);
}

}  // namespace
