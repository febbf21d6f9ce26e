#include "ui/main/AboutTexts.h"

#include <array>

namespace umbrix {
namespace {

constexpr char CR = '\r';

constexpr std::array<unsigned char, 19> kAuthorNameCodes = {
    85, 109, 98, 114, 105, 120, 32, 99, 111, 110, 116, 114, 105, 98, 117, 116, 111, 114, 115};

template <std::size_t N> std::string spelt(const std::array<unsigned char, N>& codes)
{
    std::string text;
    text.reserve(N);
    for (const unsigned char code : codes)
        text += static_cast<char>(code);
    return text;
}

} // namespace

std::string WebAddressText()
{
    return std::string(kWebAddress);
}

std::string AuthorNameText()
{
    return spelt(kAuthorNameCodes);
}

std::string AboutText(std::string_view appTitle, int major, int minor, int revision)
{
    std::string text(1, CR);
    text.append(appTitle).append(" - version ");
    text += std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(revision);
    text += {CR, CR};
    text.append("Copyright \u00a9 ").append(kNoticeYears).append(" ");
    text += AuthorNameText() + CR;
    text.append(kAuthorLocation) += {CR, CR};
    text.append("for comments or bugs send e-mail to address:") += CR;
    text.append(kAuthorEMail.size() + 12, ' ').append("or check for updates on the web:") += CR;
    text.append(kWebAddress.size(), ' ');
    return text;
}

std::string ShellResultText(int32_t code)
{
    switch (code) {
    case 2:
        return "File not found.";
    case 31:
        return "Missing association type of file.";
    default:
        return "";
    }
}

} // namespace umbrix
