#pragma once

#include <QString>

#include <string>

// The skin is the style sheet skin.qss in the program directory, applied once
// at start-up before the main window exists.
extern const char* const kSkinFailureMessage;

// Reads the style sheet; false when the file is missing, unreadable or empty.
bool LoadSkinStyleSheet(const QString& path, QString* styleSheet);

// Applies programDir + "skin.qss" to the application. When that fails, shows
// the failure message once (caption: the executable's name) and returns false;
// the program then runs unskinned.
bool ApplySkin(const std::string& programDir);
