#include "app/CommandLine.h"

#include <strings.h>

namespace {

std::vector<std::string>& Arguments()
{
    static std::vector<std::string> arguments;
    return arguments;
}

bool KeywordIs(const std::string& argument, const char* keyword)
{
    return strcasecmp(argument.c_str(), keyword) == 0;
}

} // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args)
{
    CommandLine parsed;
    if (args.size() >= 2 && KeywordIs(args[1], "task")) {
        parsed.task = true;
    }
    if (args.size() >= 3 && KeywordIs(args[1], "delete")) {
        parsed.deleteFile = true;
        parsed.deletePath = args[2];
    }
    return parsed;
}

void SetProcessArguments(const std::vector<std::string>& args)
{
    Arguments() = args;
}

const std::vector<std::string>& ProcessArguments()
{
    return Arguments();
}

bool IsTaskStart()
{
    return ParseCommandLine(Arguments()).task;
}
