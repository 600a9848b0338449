#pragma once

#include <string>

// Address of the update document: the environment variable TORVANE_UPDATE_URL
// when set and not empty, else the address built into the program.
std::string GetUpdateUrl();

// True for an absolute http or https address with a host and only printable
// ASCII (no control characters, no blanks). The update document's help address
// comes from the network and is later handed to the desktop to open, so nothing
// else may replace the site address.
bool IsSafeWebUrl(const std::string& url);
