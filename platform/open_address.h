// Opening a web address in the user's browser.
#pragma once

// Starts the system's opener for url, detached: it neither waits for the browser nor
// blocks on it. An empty or null address does nothing. Answers true when the opener was
// started. Never call it on the audio thread: starting a process takes system calls of
// unbounded duration.
bool qbOpenAddress(const char* url);
