#include "options/DialogInteger.h"

#include <climits>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

bool ParseDialogInteger(const std::string& text, int& value)
{
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const size_t firstDigit = i;
    long long magnitude = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > static_cast<long long>(INT_MAX) + 1) {
            return false; // out of range, not wrapped
        }
        ++i;
    }
    if (i == firstDigit) {
        return false;
    }
    while (i < text.size() && IsBlank(text[i])) {
        ++i;
    }
    if (i != text.size() || (!negative && magnitude > INT_MAX)) {
        return false;
    }
    value = static_cast<int>(negative ? -magnitude : magnitude);
    return true;
}
