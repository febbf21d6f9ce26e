// The readers of stored text: no input may crash them or reach undefined
// behaviour, and the number reader only ever looks at the number's own
// characters.

#include "platform/NumberPrefix.h"
#include "platform/CBoolean.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

bool same(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const double number = umbrix::readNumberPrefix(text);
    require(!std::isnan(number));
    // Leading blanks are skipped, and a character that cannot continue a
    // number ends it wherever it comes.
    require(same(umbrix::readNumberPrefix(" \t" + std::string(text)), number));
    require(same(umbrix::readNumberPrefix(std::string(text) + '\x01'), number));

    const bool flag = umbrix::CBoolean(text);
    // Text that starts with a digit is no word: its number decides.
    if (!text.empty() && text[0] >= '0' && text[0] <= '9')
        require(flag == (number != 0));
    return 0;
}
