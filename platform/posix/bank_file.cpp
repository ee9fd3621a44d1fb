#include "platform/bank_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr const char* kFolderName = "Orvan EQ";
constexpr const char* kFileName = "VST_PatchMemoryBanks.mem";

bool isAbsolute(const char* path) { return path != nullptr && path[0] == '/'; }

// Creates every missing folder of path; the data folders are private to the user.
bool makeFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1); ; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) break;
    }
    struct stat s;
    return stat(path.c_str(), &s) == 0 && S_ISDIR(s.st_mode);
}

bool writeAll(int fd, const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

// A name beside path that no other writer uses: two instances may save at once.
std::string temporaryName(const std::string& path, unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    const std::string folder = folderOf(path);
    const size_t slash = path.rfind('/');
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, ".partial-%ld-%u-%u", static_cast<long>(getpid()),
                  counter.fetch_add(1, std::memory_order_relaxed), attempt);
    return folder + "/." + base + suffix;
}

}  // namespace

std::string qbBankFilePath() {
    const char* data = std::getenv("XDG_DATA_HOME");
    std::string folder;
    if (data != nullptr && isAbsolute(data)) {
        folder = data;
    } else {
        const char* home = std::getenv("HOME");
        if (!isAbsolute(home)) return {};
        folder = std::string(home) + "/.local/share";
    }
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder + "/" + kFolderName + "/" + kFileName;
}

bool qbWriteBankFile(const void* data, size_t size) {
    const std::string path = qbBankFilePath();
    if (path.empty() || !makeFolders(folderOf(path))) return false;
    return qbReplaceFile(path, data, size);
}

bool qbReplaceFile(const std::string& path, const void* data, size_t size) {
    std::string temporary;
    int fd = -1;
    for (unsigned attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temporary = temporaryName(path, attempt);
        // The mode is filtered by the umask like any new file's.
        fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;
    bool written = writeAll(fd, data, size) && fsync(fd) == 0;
    written = close(fd) == 0 && written;
    if (!written || rename(temporary.c_str(), path.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    // The rename itself reaches the disk with the folder's entry.
    const int folder = open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
    return true;
}
