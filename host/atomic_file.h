// Output files that appear only when everything succeeded: data goes to a hidden
// temporary file in the destination folder, and commit() renames it into place. An
// uncommitted file is removed by the destructor, or by the signal handler when the
// user interrupts a render.
#pragma once

#include <string>

class AtomicFile {
public:
    // Creates the temporary file; throws ToolError when the folder is not writable.
    explicit AtomicFile(std::string path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    const std::string& path() const { return path_; }
    const std::string& tempPath() const { return tempPath_; }
    // Descriptor of the temporary file, open for writing; -1 once released.
    int fd() const { return fd_; }
    // Hands the descriptor to a writer that closes it itself (libsndfile).
    int releaseFd();
    void write(const void* data, size_t size);
    // Closes the descriptor (when still held) and renames the file into place.
    void commit();

private:
    void discard();

    std::string path_;
    std::string tempPath_;
    int fd_ = -1;
    bool committed_ = false;
};

// Installs SIGINT/SIGTERM/SIGHUP handlers that remove every uncommitted temporary file.
void installTempFileCleanup();
