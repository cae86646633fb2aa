#pragma once
#include <string>
#include <util/Singleton.h>
#include <util/XmlConfigHelper.h>

namespace kavri3D {
namespace core {

/// The global settings board: flat slash keys under "kavri3D/" over one configuration tree,
/// so that sections of it can also be viewed through an XmlConfigHelper.
class BlackBoard : public Singleton<BlackBoard> {
public:
    BlackBoard();

    yake::ConfigurationPtr getConfiguration() const { return mRoot.getConfiguration(); }
    /// A view of one section ("kavri3D/app/net").
    XmlConfigHelper section(const std::string& path) const { return XmlConfigHelper(getConfiguration(), path); }

    bool hasKey(const std::string& key) const { return mRoot.hasKey(key); }
    std::string getString(const std::string& key, const std::string& def = std::string()) const
    {
        return mRoot.getStringVal(key, def);
    }
    int getInt(const std::string& key, int def = 0) const { return mRoot.getIntVal(key, def); }
    bool getBool(const std::string& key, bool def = false) const { return mRoot.getBoolVal(key, def); }
    float getReal(const std::string& key, float def = 0.f) const { return mRoot.getRealVal(key, def); }

    void setString(const std::string& key, const std::string& value) { mRoot.setStringVal(key, value); }
    void setInt(const std::string& key, int value) { mRoot.setIntVal(key, value); }
    void setBool(const std::string& key, bool value) { mRoot.setBoolVal(key, value); }
    void setReal(const std::string& key, float value) { mRoot.setRealVal(key, value); }

private:
    XmlConfigHelper mRoot;
};

} // namespace core
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::core::BlackBoard);
