#pragma once

#include <string>

// Deletes a file named on the command line ("Torvane delete PATH"). As long as
// the file exists and cannot be removed (a folder without write permission, an
// immutable file, a file another program keeps busy on a network share), it
// tries again once a second. It ends when the file is gone.

// The removal call, replaceable by tests; returns 0 on success like unlink().
using RemoveFileFn = int (*)(const char* path);

int DeleteFileWorker(const std::string& path, int retryMs = 1000, RemoveFileFn removeFile = nullptr);

// Runs DeleteFileWorker on a detached thread that ends with the process at the latest.
void StartDeleteFileWorker(const std::string& path);
