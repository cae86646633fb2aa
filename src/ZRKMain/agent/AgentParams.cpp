#include "agent/AgentParams.h"

#include <boost/property_tree/xml_parser.hpp>
#include <yake/XmlText.h>

namespace kavri3D {
namespace zrk {

bool readAgentParams(const std::string& text, core::XmlConfigHelper& out, std::string& error)
{
    out = core::XmlConfigHelper();
    yake::Configuration::Tree tree;
    try {
        yake::XmlText::parse(text, tree, boost::property_tree::xml_parser::trim_whitespace);
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
    if (!tree.data().empty()) {
        error = "text outside any element";
        return false;
    }
    out.getConfiguration()->tree().swap(tree);
    return true;
}

} // namespace zrk
} // namespace kavri3D
