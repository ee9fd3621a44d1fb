// The developer's bank file on Windows: written whole at its fixed path, replacing what
// was there.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/bank_file.h"

namespace {

std::vector<unsigned char> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(BankFile, IsWrittenWholeAtItsPathAndReplacesAnEarlierLongerFile) {
    EXPECT_EQ(qbBankFilePath(), "C:/VST_PatchMemoryBanks.mem");
    std::vector<unsigned char> bank(6240);
    for (size_t i = 0; i < bank.size(); ++i) bank[i] = static_cast<unsigned char>(i * 7 + 3);
    const std::vector<unsigned char> longer(9000, 0xee);
    ASSERT_TRUE(qbWriteBankFile(longer.data(), longer.size()));
    ASSERT_TRUE(qbWriteBankFile(bank.data(), bank.size()));
    EXPECT_EQ(readFile(qbBankFilePath()), bank);
    std::remove(qbBankFilePath().c_str());
}

}  // namespace
