// "kavri.manifest", the list of the installation's data files, as start-up reads it.
#include <cstdint>
#include <util/Manifest.h>
#include <yake/XmlText.h>

#include "FuzzSupport.h"

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
    (void)yake::XmlText::depth(text);
    return 0;
}
