#pragma once

#include <string>

// The settings store: an INI file read and written with the semantics of the
// classic profile functions. Sections and keys match without regard to ASCII
// case, blanks around keys and values are ignored, and every line that a write
// does not change is kept byte for byte. Nothing is cached: each read reads the
// file, each write replaces it atomically (temporary file + rename).

// Longest value a read returns, in bytes (the classic 520-character buffer less
// its terminator); a longer value is cut at a UTF-8 character boundary.
constexpr size_t kIniMaxValueBytes = 519;

int IniGetInt(const std::string& file, const std::string& section, const std::string& key, int defaultValue);
std::string IniGetString(const std::string& file, const std::string& section, const std::string& key,
                         const char* defaultValue = nullptr);
bool IniSetInt(const std::string& file, const std::string& section, const std::string& key, int value);
bool IniSetString(const std::string& file, const std::string& section, const std::string& key,
                  const std::string& value);

// Profile-integer conversion: optional blanks and sign, then leading decimal
// digits; 0 when there are none.
int IniParseInt(const std::string& text);

// g_programDir + "监控录像/", created (one level) when nothing exists there yet.
std::string GetDefaultSaveFolder();

// The folder-exists rule of every "savepath" reader: the stored folder when it
// exists, otherwise the default folder, which is then stored.
std::string ReadSaveFolder(const std::string& configPath);
