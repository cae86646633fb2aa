#pragma once
#include <json/json.h>
#include <string>
#include <util/XmlConfigHelper.h>

namespace kavri3D {
namespace zrk {

/// Reads map and item records that may be missing, mistyped or absurd: every getter checks
/// the type and the range, and gives the default with one log line ("land" channel) when the
/// value is there but unusable. A number written as text counts as that number.
class LandRecord {
public:
    LandRecord(const Json::Value& value, const std::string& context) : mValue(&value), mContext(context) {}

    const Json::Value& value() const { return *mValue; }
    bool isObject() const { return mValue->isObject(); }
    bool has(const std::string& key) const;
    /// The member as a record; an empty record when it is missing or no object.
    LandRecord child(const std::string& key) const;
    /// The member when it is an array, else an empty array.
    const Json::Value& array(const std::string& key) const;

    float getReal(const std::string& key, float def, float low, float high) const;
    int getInt(const std::string& key, int def, int low, int high) const;
    std::string getString(const std::string& key, const std::string& def) const;
    bool getBool(const std::string& key, bool def) const;

    /// The record's scalar members as texts, for readers that take a settings view.
    core::XmlConfigHelper toView() const;

    /// A finite number from a JSON value (a number, or a text holding one); false otherwise.
    static bool toReal(const Json::Value& v, double& out);
    static void warn(const std::string& text);

private:
    const Json::Value* mValue;
    std::string mContext;
};

} // namespace zrk
} // namespace kavri3D
