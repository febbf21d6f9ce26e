#include "ui/controls/NameOrder.h"

#include <QLocale>
#include <algorithm>
#include <numeric>
#include <unicode/ucol.h>

namespace umbrix {

void NameCollation::Closer::operator()(UCollator* collator) const
{
    ucol_close(collator);
}

NameCollation::NameCollation()
{
    // The plain "C" locale has no collation of its own; a person on such a
    // system still reads names the common way.
    QLocale locale;
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    UErrorCode status = U_ZERO_ERROR;
    collator_.reset(ucol_open(locale.name().toLatin1().constData(), &status));
    if (U_FAILURE(status) || !collator_) {
        // Without the locale's data the root rules still order names sensibly.
        status = U_ZERO_ERROR;
        collator_.reset(ucol_open("", &status));
    }
    if (!collator_)
        return;
    // Secondary strength: accents count, case does not.
    ucol_setAttribute(collator_.get(), UCOL_STRENGTH, UCOL_SECONDARY, &status);
    ucol_setAttribute(collator_.get(), UCOL_NUMERIC_COLLATION, UCOL_ON, &status);
}

NameCollation::~NameCollation() = default;

void NameCollation::appendKey(QStringView text, std::string& out) const
{
    if (!collator_) {
        out.push_back('\0');
        return;
    }
    const auto* source = reinterpret_cast<const UChar*>(text.utf16());
    const auto length = static_cast<int32_t>(text.size());
    const size_t start = out.size();
    // Most keys fit in a few bytes per character; a longer one is asked for
    // again at the size ICU names.
    int32_t room = 4 * length + 16;
    for (;;) {
        out.resize(start + static_cast<size_t>(room));
        const int32_t needed = ucol_getSortKey(
            collator_.get(), source, length, reinterpret_cast<uint8_t*>(out.data() + start), room);
        if (needed <= room) {
            // `needed` counts the key's closing NUL.
            out.resize(start + static_cast<size_t>(needed));
            return;
        }
        room = needed;
    }
}

void sortByDisplayText(std::vector<NameRow>::iterator first, std::vector<NameRow>::iterator last)
{
    const NameCollation collation;
    std::vector<std::string> keys;
    keys.reserve(static_cast<size_t>(last - first));
    for (auto row = first; row != last; ++row) {
        std::string key;
        collation.appendKey(row->text, key);
        key += row->bytes;
        keys.push_back(std::move(key));
    }
    std::vector<size_t> order(keys.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return keys[a] < keys[b]; });
    std::vector<NameRow> sorted;
    sorted.reserve(order.size());
    for (size_t i : order)
        sorted.push_back(std::move(first[static_cast<std::ptrdiff_t>(i)]));
    std::move(sorted.begin(), sorted.end(), first);
}

} // namespace umbrix
