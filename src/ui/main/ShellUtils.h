#pragma once

#include <string>

// Opens a file or web address with the desktop's handler. When that fails it
// starts a browser itself ($BROWSER, then x-www-browser, sensible-browser), with
// the target as its only argument, never through a shell. Returns false when
// nothing could be started.
bool OpenInBrowser(const std::string& target);

// Runs the event loop for the given time, so that handlers (and blocking
// invocations from worker threads) keep being served while the caller waits.
// Returns false when the application began quitting during the wait.
bool WaitWithMessages(int milliseconds);
