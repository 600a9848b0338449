#include "recording/VideoIndex.h"

#include "app/ProgramPaths.h"

std::string VideoIndexPath()
{
    return g_programDir + "video.db";
}

void OpenVideoIndex(CVideoDb& index)
{
    const std::string path = VideoIndexPath();
    const bool existed = PathExists(path);
    if (index.Open(path) && !existed)
        index.Exec(CVideoDb::kCreateSql);
}

void AddToVideoIndex(CVideoDb& index, const std::string& fileName)
{
    index.InsertFileName(fileName);
}

void CloseVideoIndex(CVideoDb& index)
{
    index.Close();
}
