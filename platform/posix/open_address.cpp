#include "platform/open_address.h"

#include <spawn.h>
#include <sys/wait.h>

#include <mutex>
#include <vector>

extern char** environ;

namespace {

// Openers started and not yet reaped. No thread waits for them: a thread of the library
// blocked in waitpid would run unmapped code if the host unloaded the library first.
// Finished ones are reaped without waiting at the next start and when the library goes.
class Openers {
public:
    ~Openers() { reapFinished(); }
    void add(pid_t pid) {
        std::lock_guard<std::mutex> lock(mutex_);
        reapLocked();
        pids_.push_back(pid);
    }
    void reapFinished() {
        std::lock_guard<std::mutex> lock(mutex_);
        reapLocked();
    }

private:
    void reapLocked() {
        std::vector<pid_t> running;
        for (pid_t pid : pids_) {
            int status = 0;
            // 0: still running; the pid, or an error (the host reaped it): gone.
            if (waitpid(pid, &status, WNOHANG) == 0) running.push_back(pid);
        }
        pids_.swap(running);
    }

    std::mutex mutex_;
    std::vector<pid_t> pids_;
};

Openers gOpeners;

}  // namespace

bool qbOpenAddress(const char* url) {
    gOpeners.reapFinished();
    if (url == nullptr || *url == '\0') return false;
    char program[] = "xdg-open";
    char* argv[] = {program, const_cast<char*>(url), nullptr};
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // A session of its own: the browser outlives the host and never gets its terminal's signals.
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, program, nullptr, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    if (spawned != 0) return false;
    gOpeners.add(pid);
    return true;
}
