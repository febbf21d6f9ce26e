#include "platform/EnvironmentText.h"

#include <cstdlib>

namespace umbrix {
namespace {

bool isNameStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool isNameChar(char c)
{
    return isNameStart(c) || (c >= '0' && c <= '9');
}

// False when the variable is not set.
bool appendVariable(std::string& out, std::string_view name)
{
    const char* value = std::getenv(std::string(name).c_str());
    if (!value)
        return false;
    out += value;
    return true;
}

} // namespace

std::string expandEnvironmentText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '%') {
            const std::size_t close = text.find('%', i + 1);
            if (close != std::string_view::npos && close > i + 1 &&
                appendVariable(out, text.substr(i + 1, close - i - 1))) {
                i = close + 1;
                continue;
            }
        } else if (c == '$' && i + 1 < text.size()) {
            if (text[i + 1] == '{') {
                const std::size_t close = text.find('}', i + 2);
                if (close != std::string_view::npos && close > i + 2 &&
                    appendVariable(out, text.substr(i + 2, close - i - 2))) {
                    i = close + 1;
                    continue;
                }
            } else if (isNameStart(text[i + 1])) {
                std::size_t end = i + 1;
                while (end < text.size() && isNameChar(text[end]))
                    ++end;
                if (appendVariable(out, text.substr(i + 1, end - i - 1))) {
                    i = end;
                    continue;
                }
            }
        }
        out += c;
        ++i;
    }
    return out;
}

} // namespace umbrix
