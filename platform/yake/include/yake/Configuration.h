#pragma once
#include <boost/property_tree/ptree.hpp>
#include <boost/shared_ptr.hpp>
#include <functional>
#include <ostream>
#include <string>

namespace yake {

/// A configuration tree of string values addressed by slash paths ("kavri3D/app/net/Host"),
/// read from and written to XML. Every read and write error is thrown as std::exception;
/// callers that treat a file as optional catch it.
class Configuration {
public:
    typedef boost::property_tree::ptree Tree;
    typedef boost::property_tree::ptree::path_type Path;

    static Path path(const std::string& key) { return Path(key, '/'); }

    /// Replaces the tree (under `root`, when not empty) with the XML file's content; a file
    /// over 1 MB or nested too deep is refused (XmlText).
    void readFromXML(const std::string& file, const std::string& root);
    /// The same as readFromXML: ".properties" files are XML too.
    void readFromFile(const std::string& file, const std::string& root) { readFromXML(file, root); }
    /// Writes the tree (or the branch at `root`) to the file as indented XML.
    void writeToXML(const std::string& file, const std::string& root) const;

    Tree& tree() { return mTree; }
    const Tree& tree() const { return mTree; }

    bool has(const std::string& key) const;
    std::string get(const std::string& key, const std::string& def) const;
    void set(const std::string& key, const std::string& value);

private:
    Tree mTree;
};

typedef boost::shared_ptr<Configuration> ConfigurationPtr;

/// Writes a file so that it is either wholly replaced or left as it was: the writer fills a
/// temporary file beside it, which is renamed over the old one only when every byte made it
/// to disk. Throws (and removes the temporary file) when anything fails, the writer included.
void writeFileAtomically(const std::string& file, const std::function<void(std::ostream&)>& writer);
/// The temporary file writeFileAtomically fills for `file`: its own for each process.
std::string temporaryFileFor(const std::string& file);

} // namespace yake
