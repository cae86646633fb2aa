#include "yake/Configuration.h"

#include "yake/XmlText.h"

#include <boost/property_tree/xml_parser.hpp>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

#include "yake/PlayerFiles.h"

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

namespace {

/// Makes the temporary file itself, never through a link planted at its name: a stale one of
/// an earlier run (or a planted link) is removed as it stands and the file made again, once.
int makeTemporary(const std::string& temp)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int fd = PlayerFiles::open(temp, O_WRONLY | O_CREAT | O_EXCL);
        if (fd >= 0 || errno != EEXIST || attempt > 0 || ::unlink(temp.c_str()) != 0)
            return fd;
    }
    return -1;
}

} // namespace

void writeFileAtomically(const std::string& file, const std::function<void(std::ostream&)>& writer)
{
    // One temporary file per process: two games running at once ("/mutex=0") never write
    // through the same one. It is made beside the file, so the rename stays in one folder.
    const std::string temp = temporaryFileFor(file);
    std::ostringstream out;
    writer(out); // a writer that fails leaves nothing behind
    if (!out)
        throw std::runtime_error("write failed for " + temp);
    const int fd = makeTemporary(temp);
    if (fd < 0)
        throw std::runtime_error("cannot write " + temp);
    const bool written = PlayerFiles::writeAll(fd, out.str()) && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !written) {
        ::unlink(temp.c_str());
        throw std::runtime_error("write failed for " + temp);
    }
    if (std::rename(temp.c_str(), file.c_str()) != 0) {
        ::unlink(temp.c_str());
        throw std::runtime_error("cannot replace " + file);
    }
}

bool Configuration::has(const std::string& key) const { return static_cast<bool>(mTree.get_child_optional(path(key))); }

std::string Configuration::get(const std::string& key, const std::string& def) const
{
    return mTree.get<std::string>(path(key), def);
}

void Configuration::set(const std::string& key, const std::string& value) { mTree.put(path(key), value); }

} // namespace yake
