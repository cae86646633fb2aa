#pragma once
#include <json/value.h>
#include <string>
#include <gui/IGuideContent.h>

namespace kavri3D {
namespace zrk {

/// The guide texts and the battle's weapon sets, read once from the GUI's JSON file and
/// answered to the GUI plug-in and the battle by key and position.
class GuideContent : public gui::IGuideContent {
public:
    static const char* const kDefaultPath;

    GuideContent();
    ~GuideContent() override;

    /// Reads the file (relative to the current folder). A file that cannot be read or is not
    /// a JSON object logs one line and leaves the content empty.
    void load(const std::string& path = kDefaultPath);

    /// The text at `index` of the list `key`; empty when there is none or it is not a text.
    std::string getString(const std::string& key, int index) override;
    /// The value at `index` of the list `key`, in place; a null value when there is none.
    Json::Value& getValue(const std::string& key, int index) override;

private:
    Json::Value* find(const std::string& key, int index);

    Json::Value mDocument;
    Json::Value mMissing; // handed out for absent entries, reset at every miss
};

} // namespace zrk
} // namespace kavri3D
