#pragma once
#include <boost/shared_ptr.hpp>
#include <string>
#include <yake/Configuration.h>

namespace kavri3D {
namespace core {

/// A view of one section of a configuration tree: keys are slash paths relative to the
/// section. Every getter takes the default to use when the key is missing or its text does
/// not parse as the asked type, so values from files never break a reader.
class XmlConfigHelper {
public:
    /// A fresh, empty configuration of its own, viewed at the root.
    XmlConfigHelper();
    XmlConfigHelper(yake::ConfigurationPtr configuration, const std::string& section);

    yake::ConfigurationPtr getConfiguration() const { return mConfig; }
    const std::string& getSection() const { return mSection; }
    /// The absolute path of a key of this view.
    std::string fullKey(const std::string& key) const;

    bool hasKey(const std::string& key) const;
    std::string getStringVal(const std::string& key, const std::string& def) const;
    int getIntVal(const std::string& key, int def) const;
    bool getBoolVal(const std::string& key, bool def) const;
    float getRealVal(const std::string& key, float def) const;

    void setStringVal(const std::string& key, const std::string& value);
    void setIntVal(const std::string& key, int value);
    void setBoolVal(const std::string& key, bool value);
    void setRealVal(const std::string& key, float value);

    /// Set only when the key is missing or empty: a value that is already there stays.
    void resetStringVal(const std::string& key, const std::string& value);
    void resetBoolVal(const std::string& key, bool value);

    /// Copies the source's branch at the absolute `path` into the same path here; values of
    /// the source win, keys only this side has stay.
    void merge(const XmlConfigHelper& source, const std::string& path);
    /// Every node below the absolute `path` gets the empty text; the keys stay.
    void clearValues(const std::string& path);

private:
    yake::ConfigurationPtr mConfig;
    std::string mSection;
};

typedef boost::shared_ptr<XmlConfigHelper> XmlConfigHelperPtr;

} // namespace core
} // namespace kavri3D
