#pragma once

#include <string>
#include <vector>

// The two command-line forms that mean something; every other argument, and
// every other count of arguments, is ignored. Argument 0 is the program.
//   Torvane task          the device selection confirms itself (start at logon)
//   Torvane delete PATH   delete PATH, retrying once a second while it exists
struct CommandLine
{
    bool task = false;
    bool deleteFile = false;
    std::string deletePath;
};

CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The process's arguments, kept for the life of the process (set by main()).
void SetProcessArguments(const std::vector<std::string>& args);
const std::vector<std::string>& ProcessArguments();
// True when argument 1 of the process is "task" in any letter case.
bool IsTaskStart();
