// Running another program: its arguments arrive as they were given, however awkward
// (the Windows side has to quote them into one command line), its standard error lands
// in the file, and its exit status comes back. The bank generator serves as the program:
// it names the source it cannot read.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/process.h"
#include "support/scratch_folder.h"

namespace {

class Process : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = makeScratchFolder("orvan_process_");
        ASSERT_FALSE(dir_.empty());
        errorPath_ = dir_ + "/stderr.txt";
    }
    void TearDown() override {
        std::error_code ignored;
        if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
    }
    std::string errors() const {
        std::ifstream in(errorPath_, std::ios::binary);
        std::string text(std::istreambuf_iterator<char>(in), {});
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        return text;
    }
    std::string dir_, errorPath_;
};

TEST_F(Process, ArgumentsArriveUnchangedHoweverTheyAreWritten) {
    const std::vector<std::string> sources = {
        "plain", "with space", "tab\there", "quote\"inside", "trailing\\", "back\\\\\"slashes", "\"quoted\"", "a&b|c"};
    for (const std::string& source : sources) {
        const std::string missing = dir_ + "/" + source;
        EXPECT_EQ(qbRunAndWait({ORVAN_MAKE_BANK, missing, dir_ + "/out.mem"}, errorPath_), 1) << source;
        EXPECT_EQ(errors(), "orvan_make_bank: " + missing + ": cannot be read") << source;
    }
    // An empty argument is an argument too.
    EXPECT_EQ(qbRunAndWait({ORVAN_MAKE_BANK, "", dir_ + "/out.mem"}, errorPath_), 1);
    EXPECT_EQ(errors(), "orvan_make_bank: : cannot be read");
}

TEST_F(Process, TheExitStatusComesBackAndAMissingProgramAnswersMinusOne) {
    EXPECT_EQ(qbRunAndWait({ORVAN_MAKE_BANK}, errorPath_), 2) << "usage";
    EXPECT_NE(errors().find("usage"), std::string::npos);
    EXPECT_EQ(qbRunAndWait({dir_ + "/no-such-program"}, errorPath_), -1);
    EXPECT_EQ(qbRunAndWait({}, errorPath_), -1);
}

}  // namespace
