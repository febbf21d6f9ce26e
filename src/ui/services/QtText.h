#pragma once

#include <QString>
#include <string_view>

namespace umbrix {

// The program's texts are UTF-8 in std::string; Qt wants QString.  Paths
// reach a widget only as display text, never as bytes.
inline QString qs(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

} // namespace umbrix
