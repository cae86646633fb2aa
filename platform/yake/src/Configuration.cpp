#include "yake/Configuration.h"

#include "yake/XmlText.h"

#include <boost/property_tree/xml_parser.hpp>
#include <fstream>
#include <cstdio>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace yake {

void Configuration::readFromXML(const std::string& file, const std::string& root)
{
    Tree loaded;
    XmlText::readFile(file, loaded, boost::property_tree::xml_parser::trim_whitespace);
    if (loaded.empty() || !loaded.data().empty())
        throw std::runtime_error("no root element in " + file); // plain text is not a settings file
    if (root.empty())
        mTree.swap(loaded);
    else
        mTree.put_child(path(root), loaded);
}

void Configuration::writeToXML(const std::string& file, const std::string& root) const
{
    const Tree& branch = root.empty() ? mTree : mTree.get_child(path(root));
    writeFileAtomically(file, [&](std::ostream& out) {
        boost::property_tree::write_xml(out, branch,
                                        boost::property_tree::xml_writer_make_settings<std::string>(' ', 2));
    });
}

std::string temporaryFileFor(const std::string& file) { return file + "." + std::to_string(::getpid()) + ".tmp"; }

void writeFileAtomically(const std::string& file, const std::function<void(std::ostream&)>& writer)
{
    // One temporary file per process: two games running at once ("/mutex=0") never write
    // through the same one.
    const std::string temp = temporaryFileFor(file);
    try {
        {
            std::ofstream out(temp, std::ios::binary | std::ios::trunc);
            if (!out)
                throw std::runtime_error("cannot write " + temp);
            writer(out);
            out.flush();
            if (!out)
                throw std::runtime_error("write failed for " + temp);
        }
        int fd = ::open(temp.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            ::fsync(fd);
            ::close(fd);
        }
        if (std::rename(temp.c_str(), file.c_str()) != 0)
            throw std::runtime_error("cannot replace " + file);
    } catch (...) {
        std::remove(temp.c_str());
        throw;
    }
}

bool Configuration::has(const std::string& key) const { return static_cast<bool>(mTree.get_child_optional(path(key))); }

std::string Configuration::get(const std::string& key, const std::string& def) const
{
    return mTree.get<std::string>(path(key), def);
}

void Configuration::set(const std::string& key, const std::string& value) { mTree.put(path(key), value); }

} // namespace yake
