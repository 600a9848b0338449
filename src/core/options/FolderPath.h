#pragma once

#include <string>

// Validation and creation of the folder typed or picked in the folder picker.
// A valid path is absolute; "/" alone is the root. Every level must pass
// IsValidFolderName, so an empty level ("//") and a separator after the last
// name are invalid.

enum class FolderCheck
{
    Declined = -1,  // the folder is missing and the user refused to create it
    Ok = 0,         // the folder exists, or was created
    Invalid = 1,    // the path is not acceptable
    NotCreated = 2, // a level could not be created
};

enum class FolderWalk
{
    ValidateOnly,
    Create,
};

// The questions and warnings of EnsureFolderExists. The picker shows message
// boxes; tests answer with a fake.
class FolderPrompts
{
  public:
    virtual ~FolderPrompts() = default;
    // A Yes/No question; true only for Yes.
    virtual bool AskYesNo(const std::string& text) = 0;
    // A warning with an OK button.
    virtual void ShowWarning(const std::string& text) = 0;
};

// False for an empty name, a name that begins or ends with a tab, space or full
// stop, and a name holding any of  " * / : < > ? \ |
bool IsValidFolderName(const std::string& name);

// Ok when the path is valid (and, with FolderWalk::Create, every level exists as
// a folder afterwards, created from the outside in), Invalid, or NotCreated.
FolderCheck WalkFolderPath(const std::string& path, FolderWalk walk);

// Ok when the folder exists or was created after one question; Declined when
// the user said no; Invalid or NotCreated after showing the matching warning.
FolderCheck EnsureFolderExists(const std::string& path, FolderPrompts& prompts);

// The texts of EnsureFolderExists, filled with the path.
std::string FolderCreateQuestion(const std::string& path);
std::string FolderInvalidWarning(const std::string& path);
std::string FolderNotCreatedWarning(const std::string& path);

// True when a folder (not a file) exists at the path; symbolic links are followed.
bool FolderExists(const std::string& path);
