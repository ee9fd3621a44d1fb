#include "platform/open_address.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <thread>

extern char** environ;

bool qbOpenAddress(const char* url) {
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
    // The opener is reaped by a thread of its own, so the caller never waits and no
    // finished child is left behind.
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}
