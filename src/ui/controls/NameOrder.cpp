#include "ui/controls/NameOrder.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>

namespace umbrix {

void sortByDisplayText(std::vector<NameRow>::iterator first, std::vector<NameRow>::iterator last)
{
    // The plain "C" locale has no collation of its own (Qt then compares
    // code points and ignores numeric mode); a person on such a system still
    // reads names the common way.
    QLocale locale;
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    std::sort(first, last, [&](const NameRow& a, const NameRow& b) {
        const int order = collator.compare(a.text, b.text);
        return order != 0 ? order < 0 : a.bytes < b.bytes;
    });
}

} // namespace umbrix
