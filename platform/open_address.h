// Opening a web address in the user's browser.
#pragma once

// Starts the system's opener for url (xdg-open on Linux, "cmd.exe /C start" on Windows)
// as a process of its own and returns at once, never waiting for it. Answers whether it
// was started; an empty or null address starts nothing and answers false. Never call it
// on the audio thread: starting a process takes system calls of unbounded duration.
bool qbOpenAddress(const char* url);
