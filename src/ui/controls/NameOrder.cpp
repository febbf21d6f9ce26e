#include "ui/controls/NameOrder.h"

#include <QCollator>

#include <algorithm>

namespace umbrix {

void sortByDisplayText(std::vector<NameRow>::iterator first, std::vector<NameRow>::iterator last)
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    std::sort(first, last, [&](const NameRow& a, const NameRow& b) {
        const int order = collator.compare(a.text, b.text);
        return order != 0 ? order < 0 : a.bytes < b.bytes;
    });
}

} // namespace umbrix
