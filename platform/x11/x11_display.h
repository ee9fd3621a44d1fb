// A display connection of the editor's own that keeps its X errors to itself.
//
// Xlib passes protocol errors to one handler for the whole process, and hosts install
// theirs (many exit on any error). A connection opened here never reaches that handler:
// errors read while waiting for a reply are taken by an extension error hook of this
// display, and errors read with the events by its error conversion hooks; both only
// count them. A lost connection marks it dead instead of exiting, provided the host's
// process-wide I/O error handler returns (Xlib calls that one first, whatever we do).
//
// Threads: one thread uses a connection, the one that opened it; nothing here needs
// XInitThreads.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <memory>

class QB_X11Connection {
public:
    // Opens displayName (the DISPLAY variable when nullptr); nullptr when it cannot.
    static std::unique_ptr<QB_X11Connection> open(const char* displayName);
    ~QB_X11Connection();  // closes the display
    QB_X11Connection(const QB_X11Connection&) = delete;
    QB_X11Connection& operator=(const QB_X11Connection&) = delete;

    Display* display() const { return display_; }
    // Protocol errors seen on this connection so far, and the code of the last one.
    uint32_t errors() const { return errors_; }
    int lastErrorCode() const { return lastErrorCode_; }
    // True once the connection to the server is lost; then nothing more reaches it.
    bool dead() const { return dead_; }

private:
    friend struct QB_X11ConnectionHooks;
    explicit QB_X11Connection(Display* display);

    Display* display_;
    XExtCodes* codes_ = nullptr;
    uint32_t errors_ = 0;
    int lastErrorCode_ = 0;
    bool dead_ = false;
};
