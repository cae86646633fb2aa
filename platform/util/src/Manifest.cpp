#include "util/Manifest.h"

#include <boost/algorithm/string/case_conv.hpp>
#include <boost/algorithm/string/predicate.hpp>
#include <boost/uuid/detail/sha1.hpp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <utility>
#include <vector>
#include <win32/Windows.h>
#include <yake/XmlText.h>

namespace kavri3D {
namespace core {

bool FileItem::init(const std::string& localPath)
{
    std::ifstream in(localPath, std::ios::binary);
    if (!in)
        return false;
    boost::uuids::detail::sha1 hash;
    char buffer[64 * 1024];
    unsigned long long total = 0;
    while (in) {
        in.read(buffer, sizeof buffer);
        const std::streamsize got = in.gcount();
        if (got <= 0)
            break;
        total += static_cast<unsigned long long>(got);
        if (total > kMaxSignedSize)
            return false;
        hash.process_bytes(buffer, static_cast<std::size_t>(got));
    }
    if (in.bad())
        return false;
    boost::uuids::detail::sha1::digest_type digest;
    hash.get_digest(digest);
    char text[41];
    for (int i = 0; i < 5; ++i)
        std::snprintf(text + 8 * i, 9, "%08x", static_cast<unsigned>(digest[i]));
    signature.assign(text, 40);
    return true;
}

bool FileItem::sameSignature(const std::string& a, const std::string& b) { return boost::algorithm::iequals(a, b); }

FileIndex buildIndex(const std::vector<FileItem>& items)
{
    FileIndex index;
    for (const FileItem& item : items)
        index[boost::algorithm::to_lower_copy(item.name)] = item;
    return index;
}

namespace {

// Longer texts than these are no file of an installation: the list is refused.
const std::size_t kMostAttribute = 4096;
// What an item or a folder holds beside its texts, counted against the list's budget.
const std::size_t kEntryCost = 128;

typedef std::vector<std::pair<std::string, std::string>> Attributes;

/// The manifest read in one pass over its text, keeping only its folders and files: the memory
/// it takes is bounded by the text's size (a budget of a few times it), never a whole tree of
/// every element, attribute and blank.
class ManifestScan {
public:
    ManifestScan(const std::string& text, std::vector<FileFolder>& folders)
        : mText(text), mFolders(folders), mBudget((32u << 20) + 4 * text.size())
    {
    }

    bool run()
    {
        if (mText.compare(0, 3, "\xEF\xBB\xBF") == 0)
            mAt = 3;
        std::vector<std::string> open;
        bool rootSeen = false, manifest = false;
        for (;;) {
            const std::size_t lt = mText.find('<', mAt);
            // Outside the root element only blanks stand between the tags.
            if (open.empty() && !blank(mAt, lt == std::string::npos ? mText.size() : lt))
                return false;
            if (lt == std::string::npos)
                break;
            mAt = lt + 1;
            if (at("?")) {
                if (!skipPast("?>"))
                    return false;
            } else if (at("!--")) {
                if (!skipPast("-->"))
                    return false;
            } else if (at("![CDATA[")) {
                if (open.empty() || !skipPast("]]>"))
                    return false;
            } else if (at("!DOCTYPE")) {
                if (rootSeen || !skipDoctype())
                    return false;
            } else if (at("/")) {
                ++mAt;
                std::string name;
                if (open.empty() || !readName(name) || name != open.back())
                    return false;
                skipBlanks();
                if (!at(">"))
                    return false;
                ++mAt;
                open.pop_back();
            } else {
                std::string name;
                Attributes attributes;
                bool empty = false;
                if (!readName(name) || !readAttributes(attributes, empty))
                    return false;
                if (open.empty()) {
                    if (rootSeen)
                        return false; // one document, one root
                    rootSeen = true;
                    manifest = name == "manifest";
                }
                if (open.size() + 1 > yake::XmlText::kMaxDepth)
                    return false;
                if (manifest && !take(open, name, attributes))
                    return false;
                if (!empty)
                    open.push_back(name);
            }
        }
        return rootSeen && open.empty() && manifest;
    }

private:
    bool at(const char* word) const { return mText.compare(mAt, std::strlen(word), word) == 0; }
    static bool space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
    void skipBlanks()
    {
        while (mAt < mText.size() && space(mText[mAt]))
            ++mAt;
    }
    bool blank(std::size_t from, std::size_t to) const
    {
        for (std::size_t i = from; i < to; ++i)
            if (!space(mText[i]))
                return false;
        return true;
    }
    bool skipPast(const char* end)
    {
        const std::size_t found = mText.find(end, mAt);
        if (found == std::string::npos)
            return false;
        mAt = found + std::strlen(end);
        return true;
    }
    bool skipDoctype()
    {
        int brackets = 0;
        for (; mAt < mText.size(); ++mAt) {
            const char c = mText[mAt];
            if (c == '[')
                ++brackets;
            else if (c == ']')
                --brackets;
            else if (c == '>' && brackets <= 0) {
                ++mAt;
                return true;
            }
        }
        return false;
    }
    bool readName(std::string& name)
    {
        const std::size_t from = mAt;
        while (mAt < mText.size() && !space(mText[mAt]) && std::strchr("/>=<\"'?!", mText[mAt]) == nullptr)
            ++mAt;
        name.assign(mText, from, mAt - from);
        return !name.empty() && name.size() <= kMostAttribute;
    }
    bool readAttributes(Attributes& attributes, bool& empty)
    {
        for (;;) {
            skipBlanks();
            if (at("/>")) {
                mAt += 2;
                empty = true;
                return true;
            }
            if (at(">")) {
                ++mAt;
                return true;
            }
            std::string name;
            if (!readName(name))
                return false;
            skipBlanks();
            if (!at("="))
                return false;
            ++mAt;
            skipBlanks();
            if (mAt >= mText.size() || (mText[mAt] != '"' && mText[mAt] != '\''))
                return false;
            const char quote = mText[mAt++];
            const std::size_t end = mText.find(quote, mAt);
            if (end == std::string::npos || end - mAt > kMostAttribute ||
                mText.find('<', mAt) < end) // a "<" in a value is no XML
                return false;
            attributes.emplace_back(name, decoded(mText.substr(mAt, end - mAt)));
            mAt = end + 1;
        }
    }
    /// The value with its entities (the five named ones, numbers of characters) written out.
    static std::string decoded(const std::string& raw)
    {
        static const char* const named[][2] = {
            {"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}, {"&quot;", "\""}, {"&apos;", "'"}};
        std::string out;
        out.reserve(raw.size());
        for (std::size_t i = 0; i < raw.size();) {
            if (raw[i] != '&') {
                out += raw[i++];
                continue;
            }
            bool done = false;
            for (const auto& entity : named)
                if (raw.compare(i, std::strlen(entity[0]), entity[0]) == 0) {
                    out += entity[1];
                    i += std::strlen(entity[0]);
                    done = true;
                    break;
                }
            const std::size_t semi = raw.find(';', i);
            if (!done && raw.compare(i, 2, "&#") == 0 && semi != std::string::npos && semi - i <= 10) {
                const bool hex = raw[i + 2] == 'x';
                char* end = nullptr;
                const unsigned long code = std::strtoul(raw.c_str() + i + (hex ? 3 : 2), &end, hex ? 16 : 10);
                if (end == raw.c_str() + semi && code > 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF)) {
                    out += win32Utf8FromWide(std::wstring(1, static_cast<wchar_t>(code)));
                    i = semi + 1;
                    done = true;
                }
            }
            if (!done)
                out += raw[i++]; // no entity known: as written
        }
        return out;
    }
    static std::string attribute(const Attributes& attributes, const char* name, const std::string& fallback)
    {
        for (const auto& a : attributes)
            if (a.first == name)
                return a.second;
        return fallback;
    }
    bool spend(std::size_t bytes)
    {
        if (bytes > mBudget)
            return false;
        mBudget -= bytes;
        return true;
    }
    /// A folder under the root, a file under a folder: kept; every other element passed over.
    bool take(const std::vector<std::string>& open, const std::string& name, const Attributes& attributes)
    {
        if (open.size() == 1 && name == "folder") {
            FileFolder folder;
            folder.path = attribute(attributes, "path", std::string());
            mFolders.push_back(std::move(folder));
            return spend(kEntryCost + mFolders.back().path.size());
        }
        if (open.size() == 2 && open[1] == "folder" && name == "file" && !mFolders.empty()) {
            FileFolder& folder = mFolders.back();
            FileItem item;
            item.name = attribute(attributes, "name", std::string());
            if (item.name.empty())
                return true;
            item.path = attribute(attributes, "path", folder.path + "/" + item.name);
            item.signature = attribute(attributes, "sig", std::string());
            if (!spend(kEntryCost + item.name.size() + item.path.size() + item.signature.size()))
                return false;
            folder.items.push_back(std::move(item));
        }
        return true;
    }

    const std::string& mText;
    std::vector<FileFolder>& mFolders;
    std::size_t mBudget;
    std::size_t mAt = 0;
};

} // namespace

bool Manifest::read(const std::string& text)
{
    mFolders.clear();
    std::vector<FileFolder> folders;
    if (!ManifestScan(text, folders).run())
        return false;
    mFolders.swap(folders);
    return true;
}

} // namespace core
} // namespace kavri3D
