// The editor's display connection keeps its X errors and a lost connection to itself:
// the process-wide handlers, the host's, see nothing.
// GoogleTest before the X headers: they define None as a macro.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <sys/socket.h>

#include <chrono>
#include <thread>

#include "platform/x11/x11_display.h"
#include "support/x11_host.h"

namespace {

// An id no client has: every request on it fails with BadWindow.
constexpr Window kNoWindow = 0x1fffff0;

// Requests that fail, and reads the errors both ways Xlib reads them: inside a reply wait
// and with the events.
void provokeBadWindows(Display* display) {
    XMapWindow(display, kNoWindow);
    XSync(display, False);
    XMapWindow(display, kNoWindow);
    XFlush(display);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
    }
}

}  // namespace

TEST(X11Connection, ErrorsReadEitherWayNeverReachTheProcessHandler) {
    X11TestHost host;
    if (!host.usable()) GTEST_SKIP() << "no X display";
    const int before = X11TestHost::errors();
    {
        auto connection = QB_X11Connection::open(DisplayString(host.display()));
        ASSERT_NE(connection, nullptr);
        provokeBadWindows(connection->display());
        EXPECT_EQ(connection->errors(), 2u);
        EXPECT_EQ(connection->lastErrorCode(), BadWindow);
        EXPECT_FALSE(connection->dead());
    }
    EXPECT_EQ(X11TestHost::errors(), before);

    // The same requests on a plain connection do reach it: the count above would see them.
    Display* plain = XOpenDisplay(DisplayString(host.display()));
    ASSERT_NE(plain, nullptr);
    provokeBadWindows(plain);
    XCloseDisplay(plain);
    EXPECT_EQ(X11TestHost::errors(), before + 2);
}

namespace {

int gIoErrors = 0;
int countIoError(Display*) {
    ++gIoErrors;
    return 0;
}

}  // namespace

TEST(X11Connection, ALostConnectionIsMarkedDeadInsteadOfEndingTheProcess) {
    X11TestHost host;
    if (!host.usable()) GTEST_SKIP() << "no X display";
    // A host's I/O error handler that returns (the default one exits the process).
    XIOErrorHandler previous = XSetIOErrorHandler(countIoError);
    gIoErrors = 0;
    {
        auto connection = QB_X11Connection::open(DisplayString(host.display()));
        ASSERT_NE(connection, nullptr);
        shutdown(ConnectionNumber(connection->display()), SHUT_RDWR);
        XMapWindow(connection->display(), kNoWindow);
        EXPECT_EQ(XPending(connection->display()), 0);
        EXPECT_TRUE(connection->dead());
        // Nothing more goes out, and closing is still safe.
        XSync(connection->display(), False);
    }
    XSetIOErrorHandler(previous);
    EXPECT_EQ(gIoErrors, 1);
}
