#pragma once

#include "ui/controls/NameListView.h"

#include <QStringView>
#include <memory>
#include <string>
#include <vector>

struct UCollator;

namespace umbrix {

// The order a person reads names in: by their display text in the user's
// locale, without regard to case, digits by value ("file2" before
// "file10").  Each text is turned into a key once; comparing two keys byte
// by byte gives the order, which a million names can afford where asking
// the locale's rules at every comparison cannot.
class NameCollation {
public:
    NameCollation();
    ~NameCollation();
    NameCollation(const NameCollation&) = delete;
    NameCollation& operator=(const NameCollation&) = delete;

    // Appends the key of `text` to `out`, ended by a NUL that no key holds
    // elsewhere, so that keys laid end to end with anything after them
    // still compare as the texts do.
    void appendKey(QStringView text, std::string& out) const;

private:
    struct Closer {
        void operator()(UCollator* collator) const;
    };
    std::unique_ptr<UCollator, Closer> collator_;
};

// Sorts rows by their display text as NameCollation orders it; rows whose
// texts compare equal fall back to their bytes, so the order never depends
// on the order the folder was read in.
void sortByDisplayText(std::vector<NameRow>::iterator first, std::vector<NameRow>::iterator last);

} // namespace umbrix
