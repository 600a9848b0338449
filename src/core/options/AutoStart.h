#pragma once

#include <string>

// Start at logon through an XDG autostart entry: <name>.desktop in
// $XDG_CONFIG_HOME/autostart (~/.config/autostart when the variable is unset or
// not absolute). The session starts "application parameters" in workingFolder
// whenever the user logs on to the desktop.

// Folder that holds the autostart entries of the current user.
std::string AutoStartFolder();
// Full path of the entry for the task name (AutoStartFolder() + name + ".desktop").
std::string AutoStartEntryPath(const std::string& name);

// Writes the entry atomically, replacing one of the same name, so it always
// starts the executable that last called this. Creates the autostart folder when
// missing. True when the entry was written; false when the name cannot be a file
// name, a value cannot be stored in the entry, or the folder or file cannot be written.
bool CreateAutoStartTask(const std::string& name, const std::string& application,
                         const std::string& parameters, const std::string& workingFolder);

// Removes the entry. True when no entry remains (also when there was none);
// false when an existing entry could not be removed.
bool DeleteAutoStartTask(const std::string& name);

// The contents CreateAutoStartTask writes; empty when a value cannot be stored
// (not UTF-8, or a control character other than tab, newline and carriage return).
std::string AutoStartEntryText(const std::string& name, const std::string& application,
                               const std::string& parameters, const std::string& workingFolder);

// One argument of an Exec line as the Desktop Entry rules want it, before the
// escaping every string value gets: quoted when it holds a reserved character,
// with '"', '`', '$' and '\' escaped inside the quotes; '%' doubled.
std::string QuoteExecArgument(const std::string& argument);
// The escaping of a string value: '\' -> "\\", tab, newline and carriage return
// as \t \n \r.
std::string EscapeDesktopString(const std::string& value);
