#include "host/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <vector>

#include "host/tool_error.h"

namespace {

// Temporary names the signal handler may remove; plain storage, since the handler can
// only use async-signal-safe calls.
constexpr int kMaxPending = 8;
constexpr size_t kMaxPath = 4096;
char pendingPaths[kMaxPending][kMaxPath];
volatile sig_atomic_t pendingUsed[kMaxPending];

int registerPending(const std::string& path) {
    if (path.size() >= kMaxPath) return -1;
    for (int i = 0; i < kMaxPending; ++i) {
        if (pendingUsed[i] != 0) continue;
        std::memcpy(pendingPaths[i], path.c_str(), path.size() + 1);
        pendingUsed[i] = 1;
        return i;
    }
    return -1;
}

void unregisterPending(const std::string& path) {
    for (int i = 0; i < kMaxPending; ++i)
        if (pendingUsed[i] != 0 && path == pendingPaths[i]) pendingUsed[i] = 0;
}

void removePendingAndExit(int signo) {
    for (int i = 0; i < kMaxPending; ++i)
        if (pendingUsed[i] != 0) unlink(pendingPaths[i]);
    signal(signo, SIG_DFL);
    raise(signo);
}

std::string describeErrno() { return std::strerror(errno); }

constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Holds the cleanup signals back while a temporary file exists but is not yet registered, so an
// interrupt in that window cannot leave it behind; a signal that came meanwhile is taken on release.
class CleanupSignalsHeld {
public:
    CleanupSignalsHeld() {
        sigset_t held;
        sigemptyset(&held);
        for (int signo : kCleanupSignals) sigaddset(&held, signo);
        sigprocmask(SIG_BLOCK, &held, &previous_);
    }
    ~CleanupSignalsHeld() { sigprocmask(SIG_SETMASK, &previous_, nullptr); }
    CleanupSignalsHeld(const CleanupSignalsHeld&) = delete;
    CleanupSignalsHeld& operator=(const CleanupSignalsHeld&) = delete;

private:
    sigset_t previous_;
};

}  // namespace

AtomicFile::AtomicFile(std::string path) : path_(std::move(path)) {
    const size_t slash = path_.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path_.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path_ : path_.substr(slash + 1);
    std::vector<char> name(folder.begin(), folder.end());
    const std::string suffix = "." + base + ".partial-XXXXXX";
    name.insert(name.end(), suffix.begin(), suffix.end());
    name.push_back('\0');
    const CleanupSignalsHeld held;
    fd_ = mkstemp(name.data());
    if (fd_ < 0) throw ToolError("cannot write " + path_ + ": " + describeErrno());
    tempPath_ = name.data();
    // mkstemp creates the file private; give it the permissions a plain create would.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd_, 0666 & ~mask);
    registerPending(tempPath_);
}

AtomicFile::~AtomicFile() {
    if (!committed_) discard();
}

int AtomicFile::releaseFd() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

void AtomicFile::write(const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd_, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw ToolError("cannot write " + path_ + ": " + describeErrno());
        p += n;
        size -= static_cast<size_t>(n);
    }
}

void AtomicFile::commit() {
    if (fd_ >= 0) {
        const int fd = releaseFd();
        if (close(fd) != 0) throw ToolError("cannot write " + path_ + ": " + describeErrno());
    }
    if (rename(tempPath_.c_str(), path_.c_str()) != 0)
        throw ToolError("cannot write " + path_ + ": " + describeErrno());
    unregisterPending(tempPath_);
    committed_ = true;
}

void AtomicFile::discard() {
    if (fd_ >= 0) close(releaseFd());
    if (!tempPath_.empty()) {
        unlink(tempPath_.c_str());
        unregisterPending(tempPath_);
    }
}

void installTempFileCleanup() {
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = removePendingAndExit;
    sigemptyset(&action.sa_mask);
    for (int signo : kCleanupSignals) sigaction(signo, &action, nullptr);
}
