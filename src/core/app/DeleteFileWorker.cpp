#include "app/DeleteFileWorker.h"

#include "app/ProgramPaths.h"

#include <unistd.h>

#include <chrono>
#include <thread>

int DeleteFileWorker(const std::string& path, int retryMs, RemoveFileFn removeFile)
{
    if (!removeFile) {
        removeFile = &::unlink;
    }
    while (removeFile(path.c_str()) != 0 && PathExists(path)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(retryMs));
    }
    return 0;
}

void StartDeleteFileWorker(const std::string& path)
{
    std::thread([path] { DeleteFileWorker(path); }).detach();
}
