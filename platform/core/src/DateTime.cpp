#include "core/DateTime.h"

namespace kavri3D {
namespace core {

namespace {

/// Days from 1970-01-01 to the date (proleptic Gregorian), with no time-zone or locale in play.
long daysFromCivil(long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long>(doe) - 719468;
}

bool leap(long y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

/// The digits at [at, at + n) as a number; false when any is no digit.
bool digits(const std::string& text, std::size_t at, std::size_t n, long& out)
{
    out = 0;
    for (std::size_t i = at; i < at + n; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        out = out * 10 + (text[i] - '0');
    }
    return true;
}

} // namespace

long parseDateTime(const std::string& text)
{
    // "YYYY-MM-DD hh:mm:ss": exactly 19 characters with the separators in place.
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' || text[16] != ':')
        return -1;
    long y, mo, d, h, mi, s;
    if (!digits(text, 0, 4, y) || !digits(text, 5, 2, mo) || !digits(text, 8, 2, d) || !digits(text, 11, 2, h) ||
        !digits(text, 14, 2, mi) || !digits(text, 17, 2, s))
        return -1;
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 1970 || mo < 1 || mo > 12 || d < 1 || h > 23 || mi > 59 || s > 59)
        return -1;
    if (d > kDays[mo - 1] + (mo == 2 && leap(y) ? 1 : 0))
        return -1;
    return daysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d)) * 86400 + h * 3600 + mi * 60 + s;
}

} // namespace core
} // namespace kavri3D
