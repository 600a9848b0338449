#pragma once

#include "recording/CVideoDb.h"

#include <string>

// The recordings index beside the executable: g_programDir + "video.db".
std::string VideoIndexPath();

// Opens the index, creating the table when the file did not exist before.
// Callers hold index.Mutex() from OpenVideoIndex to CloseVideoIndex.
void OpenVideoIndex(CVideoDb& index);
void AddToVideoIndex(CVideoDb& index, const std::string& fileName);
void CloseVideoIndex(CVideoDb& index);
