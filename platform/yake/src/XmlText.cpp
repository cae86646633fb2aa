#include "yake/XmlText.h"
#include "yake/StringUtil.h"

#include <boost/property_tree/xml_parser.hpp>
#include <cstring>
#include <sstream>
#include <stdexcept>

namespace yake {

namespace {

// The character classes of property_tree's XML reader: the walk below must end each name,
// value and tag where the reader does, or a deep text could slip through counted too shallow.
bool space(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }
bool nodeName(char c) { return c != '\0' && !space(c) && c != '/' && c != '>' && c != '?'; }
bool attributeName(char c)
{
    return c != '\0' && !space(c) && c != '/' && c != '<' && c != '>' && c != '=' && c != '?' && c != '!';
}

/// Walks the elements the way the reader does, keeping only the nesting; stops where the
/// reader would give up.
class DepthWalk {
public:
    explicit DepthWalk(const std::string& text) : p(text.c_str()) {}

    std::size_t run()
    {
        if (p[0] == '\xEF' && p[1] == '\xBB' && p[2] == '\xBF')
            p += 3;
        while (true) {
            skipSpace();
            if (*p != '<')
                return deepest; // the end, or no XML from here on
            ++p;
            if (!node())
                return deepest;
            while (open > 0) {
                if (!content())
                    return deepest;
            }
        }
    }

private:
    void skipSpace()
    {
        while (space(*p))
            ++p;
    }
    // strncmp stops at the text's end, so nothing past it is read.
    bool at(const char* word) const { return std::strncmp(p, word, std::strlen(word)) == 0; }
    bool skipPast(const char* end)
    {
        const std::size_t n = std::strlen(end);
        while (*p && !at(end))
            ++p;
        if (!*p)
            return false;
        p += n;
        return true;
    }
    // After "<": one node; an element counts one level below the open ones.
    bool node()
    {
        if (*p == '?') {
            ++p;
            return skipPast("?>");
        }
        if (*p == '!') {
            if (p[1] == '-' && p[2] == '-') {
                p += 3;
                return skipPast("-->");
            }
            if (at("![CDATA[")) {
                p += 8;
                return skipPast("]]>");
            }
            if (at("!DOCTYPE") && space(p[8])) {
                p += 9;
                return doctype();
            }
            ++p;
            return skipPast(">");
        }
        return element();
    }
    bool doctype()
    {
        while (*p != '>') {
            if (!*p)
                return false;
            if (*p == '[') {
                ++p;
                int brackets = 1;
                while (brackets > 0) {
                    if (!*p)
                        return false;
                    if (*p == '[')
                        ++brackets;
                    else if (*p == ']')
                        --brackets;
                    ++p;
                }
            } else {
                ++p;
            }
        }
        ++p;
        return true;
    }
    bool element()
    {
        const char* name = p;
        while (nodeName(*p))
            ++p;
        if (p == name)
            return false;
        if (open + 1 > deepest)
            deepest = open + 1;
        skipSpace();
        while (attributeName(*p)) {
            ++p;
            while (attributeName(*p))
                ++p;
            skipSpace();
            if (*p != '=')
                return false;
            ++p;
            skipSpace();
            const char quote = *p;
            if (quote != '\'' && quote != '"')
                return false;
            ++p;
            while (*p && *p != quote)
                ++p;
            if (*p != quote)
                return false;
            ++p;
            skipSpace();
        }
        if (*p == '/') {
            ++p;
            if (*p != '>')
                return false;
            ++p;
            return true;
        }
        if (*p != '>')
            return false;
        ++p;
        ++open;
        return true;
    }
    // Inside an open element: text, a child or the closing tag.
    bool content()
    {
        while (*p && *p != '<')
            ++p;
        if (!*p)
            return false;
        if (p[1] == '/') {
            p += 2;
            while (nodeName(*p))
                ++p;
            skipSpace();
            if (*p != '>')
                return false;
            ++p;
            --open;
            return true;
        }
        ++p;
        return node();
    }

    const char* p;
    std::size_t open = 0;
    std::size_t deepest = 0;
};

} // namespace

std::size_t XmlText::depth(const std::string& text) { return DepthWalk(text).run(); }

bool XmlText::wholeText(const std::string& text)
{
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = text[i] == '\0' ? 0 : StringUtil::utf8Length(text, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

void XmlText::parse(const std::string& text, Tree& tree, int flags, std::size_t maxDepth)
{
    if (depth(text) > maxDepth)
        throw std::runtime_error("nested deeper than " + std::to_string(maxDepth) + " levels");
    std::istringstream in(text);
    Tree parsed;
    boost::property_tree::read_xml(in, parsed, flags);
    tree.swap(parsed);
}

void XmlText::readFile(const std::string& path, Tree& tree, int flags, std::size_t limit)
{
    std::string text, error;
    if (!FileText::read(path, text, error, limit))
        throw std::runtime_error(path + ": " + error);
    try {
        parse(text, tree, flags);
    } catch (const std::exception& e) {
        throw std::runtime_error(path + ": " + e.what());
    }
}

} // namespace yake
