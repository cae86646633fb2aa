// "kavri.manifest", the list of the installation's data files, as start-up reads it. Being
// plain XML, it also checks the depth walk that guards every XML read: it must never count
// fewer levels than the parser then goes down.
#include <boost/property_tree/xml_parser.hpp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <util/Manifest.h>
#include <yake/XmlText.h>

#include "FuzzSupport.h"

namespace {

std::size_t elementDepth(const yake::XmlText::Tree& tree)
{
    std::size_t deepest = 0;
    for (const auto& child : tree)
        if (child.first.compare(0, 4, "<xml") != 0)
            deepest = std::max(deepest, 1 + elementDepth(child.second));
    return deepest;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text = zrkfuzz::FuzzSupport::text(data, size);
    kavri3D::core::Manifest manifest;
    if (manifest.read(text)) {
        std::size_t files = 0;
        for (const auto& folder : manifest.getFolders())
            for (const auto& item : folder.items)
                files += item.name.empty() ? 0 : 1;
        (void)files;
    }

    // Shallow by the walk's count: the parser may go down unguarded, and must stay as shallow.
    const std::size_t counted = yake::XmlText::depth(text);
    if (counted > 200)
        return 0;
    yake::XmlText::Tree tree;
    try {
        yake::XmlText::parse(text, tree, 0, static_cast<std::size_t>(-1));
    } catch (const std::exception&) {
        return 0;
    }
    if (elementDepth(tree) > counted) {
        std::fprintf(stderr, "the depth walk counted %zu levels, the parser read %zu\n", counted, elementDepth(tree));
        std::abort();
    }
    return 0;
}
