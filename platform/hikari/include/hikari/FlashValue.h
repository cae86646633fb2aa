#pragma once
#include <string>
#include <vector>

namespace Hikari {

/// A value passed between a Flash movie and its host: nothing, a number, a bool or text.
class FlashValue {
public:
    enum Type { FT_NULL, FT_BOOLEAN, FT_NUMBER, FT_STRING };

    FlashValue() = default;
    FlashValue(const std::string& text) : mType(FT_STRING), mText(text) {}
    FlashValue(const char* text) : mType(FT_STRING), mText(text ? text : "") {}
    FlashValue(double number) : mType(FT_NUMBER), mNumber(number) {}
    FlashValue(bool value) : mType(FT_BOOLEAN), mNumber(value ? 1 : 0) {}

    Type getType() const { return mType; }
    bool isNull() const { return mType == FT_NULL; }
    /// Text of any value ("" for nothing).
    std::string getString() const;
    double getNumber() const { return mNumber; }

private:
    Type mType = FT_NULL;
    std::string mText;
    double mNumber = 0;
};

typedef std::vector<FlashValue> Arguments;

} // namespace Hikari
