#pragma once

#include <string>

// Result of HttpGetText when no usable answer came back (no connection, time-out,
// transfer error, refused scheme, body too large).
inline constexpr int kHttpGetFailure = static_cast<int>(0x80000000u);

// Largest body accepted; an update document is a few hundred bytes.
inline constexpr long kHttpMaxBodyBytes = 1024L * 1024L;

// Fetches an http or https address (redirects followed, agent "HttpClient", proxies
// from the environment). Returns 0 for a 2xx answer with its body in text, one line
// after another, each ending in '\n'; the status for any other answer, text left
// empty; kHttpGetFailure otherwise. The transfer ends when no data arrives for
// timeoutSeconds.
int HttpGetText(const std::string& url, std::string& text, int timeoutSeconds);

// For the end of the process: makes running transfers fail within about a second
// and every later one at once, then waits up to waitMs for the running ones to
// return. True when none is left. There is no way back.
bool AbortHttpTransfers(int waitMs);
