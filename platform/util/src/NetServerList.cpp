#include "util/NetServerList.h"

#include <boost/property_tree/xml_parser.hpp>
#include <yake/XmlText.h>

namespace kavri3D {
namespace core {

void NetServer::write(XmlConfigHelper& config) const
{
    config.setStringVal("net/Host", host);
    config.setStringVal("net/Port", port);
    config.setStringVal("net/Name", name);
    if (!msgHost.empty())
        config.setStringVal("msg/host", msgHost);
}

bool NetServerList::readFromXmlFile(const std::string& file, std::string* error)
{
    mServers.clear();
    boost::property_tree::ptree tree;
    try {
        yake::XmlText::readFile(file, tree, boost::property_tree::xml_parser::trim_whitespace);
    } catch (const std::exception& e) {
        if (error)
            *error = e.what();
        return false;
    }
    auto root = tree.get_child_optional("servers");
    if (!root) {
        if (error)
            *error = file + ": no <servers> element";
        return false;
    }
    for (const auto& child : *root) {
        if (child.first != "server")
            continue;
        NetServer s;
        s.name = child.second.get<std::string>("<xmlattr>.name", "");
        s.host = child.second.get<std::string>("<xmlattr>.host", "");
        s.port = child.second.get<std::string>("<xmlattr>.port", "");
        s.msgHost = child.second.get<std::string>("<xmlattr>.msghost", "");
        if (!s.host.empty())
            mServers.push_back(s);
    }
    return true;
}

const NetServer* NetServerList::find(const std::string& name) const
{
    for (const NetServer& s : mServers)
        if (s.name == name)
            return &s;
    return nullptr;
}

} // namespace core
} // namespace kavri3D
