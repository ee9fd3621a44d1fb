#include "platform/open_address.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <mutex>

extern char** environ;

namespace {

// Openers started and not yet collected. Each call collects those that have ended
// without waiting, so an opener never lingers as a zombie for longer than until the
// next call. One the host has collected itself (waitpid(-1)) is forgotten.
constexpr int kMaxChildren = 16;
std::mutex childrenMutex;
pid_t children[kMaxChildren] = {};

void collectEnded() {
    for (pid_t& child : children) {
        if (child <= 0) continue;
        const pid_t r = waitpid(child, nullptr, WNOHANG);
        if (r == child || r < 0) child = 0;
    }
}

void remember(pid_t pid) {
    for (pid_t& child : children) {
        if (child == 0) {
            child = pid;
            return;
        }
    }
    // No free entry: the opener stays uncollected until the host exits.
}

}  // namespace

bool qbOpenAddress(const char* url) {
    std::lock_guard<std::mutex> lock(childrenMutex);
    collectEnded();  // every call, an empty one too
    if (url == nullptr || url[0] == '\0') return false;

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    if (posix_spawn_file_actions_init(&actions) != 0) return false;
    if (posix_spawnattr_init(&attributes) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return false;
    }
    // The opener reads and prints nothing of the host's, and does not inherit the host's
    // blocked or ignored signals or its session (a host's terminal closing must not end
    // the browser).
    for (int fd = 0; fd <= 2; ++fd)
        posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    sigdelset(&all, SIGKILL);
    sigdelset(&all, SIGSTOP);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    short spawnFlags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
#ifdef POSIX_SPAWN_SETSID
    spawnFlags |= POSIX_SPAWN_SETSID;
#endif
    posix_spawnattr_setflags(&attributes, spawnFlags);

    char program[] = "xdg-open";
    char* argv[] = {program, const_cast<char*>(url), nullptr};
    pid_t pid = 0;
    const int result = posix_spawnp(&pid, program, &actions, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0) return false;
    remember(pid);
    return true;
}
