#pragma once
#include <map>
#include <string>

namespace kavri3D {
namespace core {

/// The "name=value&..." pairs of a query. Values are percent-decoded ("%41" is "A"); a
/// malformed escape is kept as written. A name given twice keeps its first value; a name
/// without '=' has the empty value.
class QueryString {
public:
    explicit QueryString(const std::string& query);
    bool exists(const std::string& name) const { return mValues.count(name) > 0; }
    std::string get(const std::string& name) const;
    std::size_t size() const { return mValues.size(); }

    static std::string decode(const std::string& text);

private:
    std::map<std::string, std::string> mValues;
};

} // namespace core
} // namespace kavri3D
