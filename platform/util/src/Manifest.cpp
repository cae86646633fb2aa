#include "util/Manifest.h"

#include <boost/property_tree/xml_parser.hpp>
#include <yake/XmlText.h>

namespace kavri3D {
namespace core {

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
