#include "platform/NumberPrefix.h"

#include <charconv>
#include <cstddef>
#include <limits>
#include <system_error>

namespace umbrix {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// from_chars leaves the value alone when it is out of range; whether it
// overflowed or underflowed follows from where the first significant digit
// stands relative to the decimal point, shifted by the exponent.
bool overflows(std::string_view number)
{
    long long magnitude = 0;
    bool seenPoint = false;
    bool seenSignificant = false;
    std::size_t i = 0;
    for (; i < number.size() && (isDigit(number[i]) || number[i] == '.'); ++i) {
        const char c = number[i];
        if (c == '.') {
            seenPoint = true;
        } else if (!seenSignificant) {
            if (c != '0') {
                seenSignificant = true;
                if (!seenPoint)
                    ++magnitude;
            } else if (seenPoint) {
                --magnitude;
            }
        } else if (!seenPoint) {
            ++magnitude;
        }
    }
    if (i < number.size() && (number[i] == 'e' || number[i] == 'E')) {
        ++i;
        bool negative = false;
        if (i < number.size() && (number[i] == '+' || number[i] == '-'))
            negative = number[i++] == '-';
        long long exponent = 0;
        for (; i < number.size() && isDigit(number[i]); ++i) {
            if (exponent < 1'000'000'000)
                exponent = exponent * 10 + (number[i] - '0');
        }
        magnitude += negative ? -exponent : exponent;
    }
    return magnitude > 0;
}

} // namespace

double readNumberPrefix(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;

    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';

    // from_chars would also take "inf", "nan" and a second sign; only a digit,
    // or a point followed by a digit, starts a number here.
    const std::string_view rest = text.substr(i);
    const bool startsNumber =
        !rest.empty() &&
        (isDigit(rest[0]) || (rest[0] == '.' && rest.size() > 1 && isDigit(rest[1])));
    if (!startsNumber)
        return 0.0;

    double value = 0.0;
    const auto [end, ec] =
        std::from_chars(rest.data(), rest.data() + rest.size(), value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        const std::string_view number(rest.data(), static_cast<std::size_t>(end - rest.data()));
        value = overflows(number) ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (ec != std::errc()) {
        return 0.0;
    }
    return negative ? -value : value;
}

} // namespace umbrix
