#include "hikari/FlashValue.h"

#include <sstream>

namespace Hikari {

std::string FlashValue::getString() const
{
    switch (mType) {
    case FT_STRING:
        return mText;
    case FT_BOOLEAN:
        return mNumber != 0 ? "true" : "false";
    case FT_NUMBER: {
        std::ostringstream os;
        os << mNumber;
        return os.str();
    }
    default:
        return std::string();
    }
}

} // namespace Hikari
