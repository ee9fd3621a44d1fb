// Installing and finding the plug-in: what `cmake --install` and the Debian package put
// where, and the folders orvan-render searches when no --plugin is given.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "support/host_test_support.h"

namespace fs = std::filesystem;

namespace {

// Every file under root, as paths relative to it, sorted.
std::vector<std::string> filesUnder(const std::string& root) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (!entry.is_directory()) names.push_back(fs::relative(entry.path(), root).string());
    std::sort(names.begin(), names.end());
    return names;
}

bool onPath(const std::string& program) {
    return runProgram("sh", {"-c", "command -v " + program}).status == 0;
}

// The "plug-in  PATH" line of --info.
std::string loadedPlugin(const ToolResult& info) {
    const std::string key = "plug-in     ";
    const size_t at = info.out.find(key);
    if (at == std::string::npos) return "";
    return info.out.substr(at + key.size(), info.out.find('\n', at) - at - key.size());
}

// An environment where only the test's folders can hold a plug-in: no search
// variables, a home of its own.
std::vector<std::string> isolated(const ScratchDir& dir) {
    return {"VST_PATH", "LXVST_PATH", "HOME=" + dir / "home"};
}

bool systemHasPlugin() {
    return access("/usr/local/lib/vst/OrvanEq.so", F_OK) == 0 || access("/usr/lib/vst/OrvanEq.so", F_OK) == 0;
}

TEST(Install, PrefixGetsExactlyThePluginAndTheToolWhichFindEachOther) {
    ScratchDir dir;
    const ToolResult install = runProgram(ORVAN_CMAKE_COMMAND, {"--install", ORVAN_BUILD_DIR, "--prefix", dir / "p"});
    ASSERT_EQ(install.status, 0) << install.out << install.err;
    EXPECT_EQ(filesUnder(dir / "p"), (std::vector<std::string>{"bin/orvan-render", "lib/vst/OrvanEq.so"}));
    // Moved elsewhere as a whole, the installation still finds its plug-in.
    fs::rename(dir / "p", dir / "moved");
    const ToolResult info = runProgram(dir / "moved/bin/orvan-render", {"--info"}, isolated(dir));
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_EQ(loadedPlugin(info), dir / "moved/lib/vst/OrvanEq.so");
}

TEST(Install, DebianPackageHoldsThePluginInUsrLibVstAndDeclaresItsLibraries) {
    if (!onPath("dpkg-deb") || !onPath("dpkg-shlibdeps") || !onPath("file"))
        GTEST_SKIP() << "packaging needs dpkg-deb, dpkg-shlibdeps and file (scripts/test deps installs them)";
    ScratchDir dir;
    const ToolResult pack = runProgram(
        ORVAN_CPACK_COMMAND, {"-G", "DEB", "--config", std::string(ORVAN_BUILD_DIR) + "/CPackConfig.cmake", "-B", dir / "out"});
    ASSERT_EQ(pack.status, 0) << pack.out << pack.err;
    std::string deb;
    for (const auto& entry : fs::directory_iterator(dir / "out"))
        if (entry.path().extension() == ".deb") deb = entry.path().string();
    ASSERT_NE(deb, "");
    EXPECT_EQ(fs::path(deb).filename().string().rfind("orvan-eq_", 0), 0u) << deb;

    const ToolResult depends = runProgram("dpkg-deb", {"--field", deb, "Depends"});
    ASSERT_EQ(depends.status, 0) << depends.err;
    for (const char* library : {"libc6", "libstdc++6", "libsndfile1", "libcairo2", "libfftw3-single3"})
        EXPECT_NE(depends.out.find(library), std::string::npos) << depends.out;

    ASSERT_EQ(runProgram("dpkg-deb", {"-x", deb, dir / "root"}).status, 0);
    EXPECT_EQ(filesUnder(dir / "root"), (std::vector<std::string>{"usr/bin/orvan-render", "usr/lib/vst/OrvanEq.so"}));
    const ToolResult info = runProgram(dir / "root/usr/bin/orvan-render", {"--info"}, isolated(dir));
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_EQ(loadedPlugin(info), dir / "root/usr/lib/vst/OrvanEq.so");
}

class PluginSearch : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* folder : {"bin", "a", "b", "c", "home/.vst"}) fs::create_directories(dir / folder);
        fs::copy_file(ORVAN_RENDER_PATH, tool);
    }
    ToolResult info(const std::vector<std::string>& env) { return runProgram(tool, {"--info"}, env); }
    void plantPlugin(const std::string& folder) { fs::create_symlink(ORVAN_PLUGIN_PATH, dir / (folder + "/OrvanEq.so")); }

    ScratchDir dir;
    std::string tool = dir / "bin/orvan-render";
};

TEST_F(PluginSearch, NotFoundNamesEveryFolderTriedAndTheOption) {
    if (systemHasPlugin()) GTEST_SKIP() << "this machine has the plug-in installed system-wide";
    const ToolResult r = info({"VST_PATH=" + dir / "a" + ":" + dir / "b", "LXVST_PATH=" + dir / "c",
                               "HOME=" + dir / "home"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    const std::string folders = dir / "bin" + ", " + dir / "lib/vst" + ", " + dir / "a" + ", " + dir / "b" + ", " +
                                dir / "c" + ", " + dir / "home/.vst" + ", /usr/local/lib/vst, /usr/lib/vst";
    EXPECT_NE(r.err.find("OrvanEq.so not found in " + folders + ": give its path with --plugin PATH"),
              std::string::npos)
        << r.err;
}

TEST_F(PluginSearch, FoldersAreSearchedInOrder) {
    const std::vector<std::string> env{"VST_PATH=" + dir / "a" + "::" + dir / "b", "LXVST_PATH=" + dir / "c",
                                       "HOME=" + dir / "home"};
    plantPlugin("home/.vst");
    EXPECT_EQ(loadedPlugin(info(env)), dir / "home/.vst/OrvanEq.so");
    plantPlugin("c");
    EXPECT_EQ(loadedPlugin(info(env)), dir / "c/OrvanEq.so");
    plantPlugin("b");
    EXPECT_EQ(loadedPlugin(info(env)), dir / "b/OrvanEq.so");
    plantPlugin("bin");
    EXPECT_EQ(loadedPlugin(info(env)), dir / "bin/OrvanEq.so");
}

TEST_F(PluginSearch, PluginOptionWithABareNameLooksInTheCurrentFolderThenTheSearchFolders) {
    fs::copy_file(ORVAN_PLUGIN_PATH, dir / "a/Renamed.so");
    const ToolResult found = runProgram(tool, {"--plugin", "Renamed.so", "--info"}, {"VST_PATH=" + dir / "a"});
    ASSERT_EQ(found.status, 0) << found.err;
    EXPECT_EQ(loadedPlugin(found), dir / "a/Renamed.so");
    const ToolResult missing = runProgram(tool, {"--plugin", "Absent.so", "--info"}, {"VST_PATH=" + dir / "a"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("plug-in Absent.so not found in the current folder, " + dir / "bin"),
              std::string::npos)
        << missing.err;
}

}  // namespace
