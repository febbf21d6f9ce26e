#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace umbrix {

// The author's details that the About window shows.
inline constexpr std::string_view kAuthorEMail = "hi@example.org";
inline constexpr std::string_view kWebAddress = "https://umbrix.example.org/news";
inline constexpr std::string_view kNoticeYears = "2026";
inline constexpr std::string_view kAuthorLocation = "Made in Europe";

// The web address the About window shows and opens: kWebAddress.
std::string WebAddressText();
// The notice's holder, spelt at run time from a table of character codes
// (19 codes), so it does not lie in the program file as plain text.
std::string AuthorNameText();

// The About text, lines separated by single CRs: the title and version, the
// notice, the location, and two lines whose leading spaces keep room for the
// e-mail and web links that lie over them.
std::string AboutText(std::string_view appTitle, int major, int minor, int revision);

// What a failed hand-over of a document means, by the shell's result code:
// 2 nothing to open, 31 no program took it; "" for success (above 32).
std::string ShellResultText(int32_t code);

} // namespace umbrix
