#pragma once

#include <string>

// Reads an integer typed into a dialog box: optional blanks, an optional sign,
// decimal digits, optional blanks, and nothing else; the value must fit in int.
// False (value untouched) for anything else, including an empty box.
bool ParseDialogInteger(const std::string& text, int& value);
