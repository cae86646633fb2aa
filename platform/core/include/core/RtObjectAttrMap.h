#pragma once
#include <boost/any.hpp>
#include <map>
#include <string>

namespace kavri3D {
namespace core {

/// Named attributes of any type, read by type after a hasAttr test.
class RtObjectAttrMap {
public:
    bool hasAttr(const std::string& name) const { return mAttrs.count(name) > 0; }
    void setAttr(const std::string& name, const boost::any& value) { mAttrs[name] = value; }
    void removeAttr(const std::string& name) { mAttrs.erase(name); }
    const boost::any* getAttr(const std::string& name) const
    {
        auto it = mAttrs.find(name);
        return it == mAttrs.end() ? nullptr : &it->second;
    }
    /// The value when it is there and of type T, else the default.
    template <class T> T getAttrAs(const std::string& name, const T& def) const
    {
        const boost::any* a = getAttr(name);
        const T* v = a ? boost::any_cast<T>(a) : nullptr;
        return v ? *v : def;
    }
    std::size_t size() const { return mAttrs.size(); }
    const std::map<std::string, boost::any>& all() const { return mAttrs; }
    void clear() { mAttrs.clear(); }
    void clearAttrs() { mAttrs.clear(); }

private:
    std::map<std::string, boost::any> mAttrs;
};

} // namespace core
} // namespace kavri3D
