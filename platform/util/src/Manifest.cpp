#include "util/Manifest.h"

#include <boost/algorithm/string/case_conv.hpp>
#include <boost/algorithm/string/predicate.hpp>
#include <boost/property_tree/xml_parser.hpp>
#include <boost/uuid/detail/sha1.hpp>
#include <cstdio>
#include <fstream>
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

bool Manifest::read(const std::string& text)
{
    mFolders.clear();
    boost::property_tree::ptree tree;
    try {
        yake::XmlText::parse(text, tree);
    } catch (const std::exception&) {
        return false;
    }
    auto root = tree.get_child_optional("manifest");
    if (!root)
        return false;
    for (const auto& folder : *root) {
        if (folder.first != "folder")
            continue;
        FileFolder f;
        f.path = folder.second.get<std::string>("<xmlattr>.path", "");
        for (const auto& file : folder.second) {
            if (file.first != "file")
                continue;
            FileItem item;
            item.name = file.second.get<std::string>("<xmlattr>.name", "");
            item.path = file.second.get<std::string>("<xmlattr>.path", f.path + "/" + item.name);
            item.signature = file.second.get<std::string>("<xmlattr>.sig", "");
            if (!item.name.empty())
                f.items.push_back(item);
        }
        mFolders.push_back(f);
    }
    return true;
}

} // namespace core
} // namespace kavri3D
