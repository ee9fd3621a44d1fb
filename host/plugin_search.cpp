#include "host/plugin_search.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "host/tool_error.h"

namespace {

std::string executableFolder() {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return ".";
    const std::string exe(buffer, static_cast<size_t>(n));
    const size_t slash = exe.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : exe.substr(0, slash);
}

// "a/b/../c" to "a/c" and no trailing slash, so the folders in messages read plainly.
std::string tidy(const std::string& path) {
    std::vector<std::string> parts;
    size_t at = 0;
    while (at <= path.size()) {
        const size_t end = std::min(path.find('/', at), path.size());
        const std::string part = path.substr(at, end - at);
        if (part == "..") {
            if (!parts.empty() && parts.back() != "..") parts.pop_back();
            else if (path[0] != '/') parts.push_back(part);
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        at = end + 1;
    }
    std::string out = path[0] == '/' ? "/" : "";
    for (size_t k = 0; k < parts.size(); ++k) out += (k > 0 ? "/" : "") + parts[k];
    return out.empty() ? "." : out;
}

void addFolder(std::vector<std::string>& folders, const std::string& folder) {
    if (folder.empty()) return;
    const std::string clean = tidy(folder);
    if (std::find(folders.begin(), folders.end(), clean) == folders.end()) folders.push_back(clean);
}

void addPathList(std::vector<std::string>& folders, const char* list) {
    if (list == nullptr) return;
    const std::string text = list;
    size_t at = 0;
    while (at <= text.size()) {
        const size_t end = std::min(text.find(':', at), text.size());
        addFolder(folders, text.substr(at, end - at));
        at = end + 1;
    }
}

bool isFile(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

// The path of name in the first folder that holds it; empty when none does.
std::string firstIn(const std::string& name, const std::vector<std::string>& folders) {
    for (const std::string& folder : folders) {
        const std::string path = folder == "/" ? "/" + name : folder + "/" + name;
        if (isFile(path)) return path;
    }
    return "";
}

std::string joined(const std::vector<std::string>& folders) {
    std::string list;
    for (const std::string& f : folders) list += (list.empty() ? "" : ", ") + f;
    return list;
}

}  // namespace

std::vector<std::string> pluginSearchFolders(const std::string& installedFolder) {
    std::vector<std::string> folders;
    const std::string exeFolder = executableFolder();
    addFolder(folders, exeFolder);
    if (!installedFolder.empty())
        addFolder(folders, installedFolder[0] == '/' ? installedFolder : exeFolder + "/" + installedFolder);
    addPathList(folders, std::getenv("VST_PATH"));
    addPathList(folders, std::getenv("LXVST_PATH"));
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') addFolder(folders, std::string(home) + "/.vst");
    addFolder(folders, "/usr/local/lib/vst");
    addFolder(folders, "/usr/lib/vst");
    return folders;
}

std::string findPlugin(const std::string& name, const std::vector<std::string>& folders) {
    const std::string path = firstIn(name, folders);
    if (!path.empty()) return path;
    throw ToolError(name + " not found in " + joined(folders) + ": give its path with --plugin PATH");
}

std::string resolvePluginOption(const std::string& given, const std::vector<std::string>& folders) {
    if (given.find('/') != std::string::npos || isFile(given)) return given;
    const std::string path = firstIn(given, folders);
    if (!path.empty()) return path;
    throw ToolError("plug-in " + given + " not found in the current folder, " + joined(folders));
}
