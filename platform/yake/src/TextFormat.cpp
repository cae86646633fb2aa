#include "yake/TextFormat.h"

#include <boost/format.hpp>
#include <cctype>
#include <cstring>

namespace yake {

namespace {

const std::size_t kMaxDigits = 4;
// Widths pad: their sum bounds what padding can add to a text.
const unsigned long kMaxNumbers = 9999;

// Characters a placeholder is made of up to its conversion letter: argument number and '$',
// flags, width, precision, '*', length letters, and the '|' of the "%|...|" form.
bool placeholderChar(char c)
{
    return std::isdigit(static_cast<unsigned char>(c)) || (c != '\0' && std::strchr("$-=_ +#'.*|hlLqjzZtI", c));
}

} // namespace

bool TextFormat::numbersFit(const std::string& pattern)
{
    unsigned long total = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%')
            continue;
        if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
            ++i; // "%%" is a plain percent sign
            continue;
        }
        std::size_t digits = 0;
        unsigned long number = 0;
        std::size_t j = i + 1;
        for (; j < pattern.size() && placeholderChar(pattern[j]); ++j) {
            if (std::isdigit(static_cast<unsigned char>(pattern[j]))) {
                if (++digits > kMaxDigits)
                    return false;
                number = number * 10 + static_cast<unsigned long>(pattern[j] - '0');
                continue;
            }
            if (pattern[j] != '$') // an argument's number ("%2$s") pads nothing
                total += number;
            digits = 0;
            number = 0;
        }
        if (j == pattern.size() || pattern[j] != '%') // nor does "%2%"
            total += number;
        if (total > kMaxNumbers)
            return false;
    }
    return true;
}

bool TextFormat::flagsAgree(const std::string& pattern)
{
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%')
            continue;
        std::size_t j = i + 1;
        if (j < pattern.size() && pattern[j] == '%') {
            i = j; // "%%" is a plain percent sign
            continue;
        }
        if (j < pattern.size() && pattern[j] == '|')
            ++j;
        // An argument's number ("%2$") comes before the flags; a leading zero is a flag.
        if (j < pattern.size() && pattern[j] != '0' && std::isdigit(static_cast<unsigned char>(pattern[j]))) {
            std::size_t k = j;
            while (k < pattern.size() && std::isdigit(static_cast<unsigned char>(pattern[k])))
                ++k;
            if (k == pattern.size() || pattern[k] != '$')
                continue; // a width, or "%2%": no flags follow
            j = k + 1;
        }
        bool zeros = false, left = false, inner = false;
        for (; j < pattern.size() && pattern[j] != '\0' && std::strchr("-=_ +#0'", pattern[j]); ++j) {
            zeros = zeros || pattern[j] == '0';
            left = left || pattern[j] == '-';
            inner = inner || pattern[j] == '_';
        }
        if (zeros && left && inner)
            return false;
    }
    return true;
}

std::string TextFormat::format(const std::string& pattern, const std::vector<std::string>& args)
{
    // Our own checks first: what Boost.Format would assert on or blow up never reaches it.
    if (!numbersFit(pattern) || !flagsAgree(pattern))
        return pattern;
    try {
        boost::format text;
        // Every error of the pattern itself stays on: with them off, Boost.Format reads and
        // writes past its buffers on some malformed patterns ("%|%%").
        text.exceptions(boost::io::all_error_bits & ~(boost::io::too_few_args_bit | boost::io::too_many_args_bit));
        text.parse(pattern);
        for (const std::string& arg : args)
            text % arg;
        return text.str();
    } catch (const std::exception&) {
        return pattern;
    }
}

} // namespace yake
