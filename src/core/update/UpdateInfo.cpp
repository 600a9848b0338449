#include "update/UpdateInfo.h"

#include "update/HttpGetText.h"

#include <tinyxml2.h>

#include <algorithm>

namespace {

std::string Trimmed(const std::string& value)
{
    const char* blanks = " \t\r\n\v\f";
    const size_t first = value.find_first_not_of(blanks);
    if (first == std::string::npos)
        return std::string();
    return value.substr(first, value.find_last_not_of(blanks) - first + 1);
}

// Letter case ignored for ASCII only, whatever the process locale (a Turkish
// locale must not turn "TORVANE" into something else).
bool EqualIgnoringAsciiCase(const std::string& a, const std::string& b)
{
    const auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) {
               return lower(static_cast<unsigned char>(x)) == lower(static_cast<unsigned char>(y));
           });
}

enum class Trim
{
    No,
    Yes,
};

// Copies the text of the child element into field; a missing element leaves the
// field alone, an element without leading text empties it.
void CopyChildText(const tinyxml2::XMLElement* parent, const char* childName, Trim trim, std::string& field)
{
    const tinyxml2::XMLElement* child = parent->FirstChildElement(childName);
    if (!child)
        return;
    const char* text = child->GetText();
    field = text ? text : "";
    if (trim == Trim::Yes)
        field = Trimmed(field);
}

} // namespace

int QueryUpdateInfo(std::string name, std::string url, UpdateInfo& info, int timeoutSeconds)
{
    std::string text;
    if (HttpGetText(url, text, timeoutSeconds) == kHttpGetFailure)
        return 0;

    tinyxml2::XMLDocument document;
    if (document.Parse(text.data(), text.size()) != tinyxml2::XML_SUCCESS)
        return 0;
    const tinyxml2::XMLElement* root = document.RootElement();
    if (!root)
        return 0;

    for (const tinyxml2::XMLElement* soft = root->FirstChildElement("soft"); soft;
         soft = soft->NextSiblingElement("soft")) {
        const tinyxml2::XMLElement* nameElement = soft->FirstChildElement("name");
        if (!nameElement)
            continue;
        const char* nameText = nameElement->GetText();
        const std::string entryName = Trimmed(nameText ? nameText : "");
        if (!EqualIgnoringAsciiCase(entryName, name))
            continue;

        info.name = entryName;
        CopyChildText(soft, "version", Trim::Yes, info.version);
        CopyChildText(soft, "help", Trim::No, info.help);
        CopyChildText(soft, "downurl", Trim::Yes, info.downurl);
        CopyChildText(soft, "downurl2", Trim::Yes, info.downurl2);
        CopyChildText(soft, "bbs", Trim::No, info.bbs);
        CopyChildText(soft, "news", Trim::No, info.news);
        CopyChildText(soft, "urgent", Trim::No, info.urgent);
        return 1;
    }
    return 0;
}
