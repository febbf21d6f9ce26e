#include "ui/controls/SortedNames.h"

#include "platform/PathText.h"
#include "ui/controls/NameOrder.h"

#include <QString>
#include <algorithm>
#include <cstring>
#include <numeric>

namespace umbrix {

void SortedNames::add(std::string_view name, uint64_t inode)
{
    refs_.push_back(
        Ref{static_cast<uint32_t>(bytes_.size()), static_cast<uint32_t>(name.size()), inode});
    bytes_.append(name);
}

bool SortedNames::less(uint32_t a, uint32_t b) const
{
    // Keys end with their NUL and hold no other, so strcmp ends at the key.
    const int order = std::strcmp(keys_.data() + keyStarts_[a], keys_.data() + keyStarts_[b]);
    return order != 0 ? order < 0 : name(a) < name(b);
}

bool SortedNames::round(size_t budget)
{
    budget = std::max<size_t>(budget, 1);
    const size_t n = refs_.size();
    switch (phase_) {
    case Phase::Keys: {
        if (next_ == 0) {
            // Keys run about twice the length of the names they stand for.
            keys_.reserve(2 * bytes_.size() + n);
            keyStarts_.reserve(n);
        }
        const NameCollation collation;
        const size_t end = std::min(n, next_ + budget);
        for (; next_ < end; ++next_) {
            keyStarts_.push_back(static_cast<uint32_t>(keys_.size()));
            collation.appendKey(QString::fromStdString(displayText(name(next_))), keys_);
        }
        if (next_ == n) {
            order_.resize(n);
            std::iota(order_.begin(), order_.end(), uint32_t{0});
            phase_ = Phase::Runs;
            next_ = 0;
            runWidth_ = budget;
        }
        break;
    }
    case Phase::Runs: {
        const auto from = order_.begin() + static_cast<std::ptrdiff_t>(next_);
        next_ = std::min(n, next_ + runWidth_);
        std::sort(from, order_.begin() + static_cast<std::ptrdiff_t>(next_),
                  [this](uint32_t a, uint32_t b) { return less(a, b); });
        if (next_ == n) {
            phase_ = Phase::Merges;
            next_ = 0;
        }
        break;
    }
    case Phase::Merges: {
        // Bottom-up: runs of runWidth_ merged in pairs, then the doubled runs.
        size_t merged = 0;
        while (runWidth_ < n && merged < budget) {
            const size_t mid = std::min(n, next_ + runWidth_);
            const size_t end = std::min(n, next_ + 2 * runWidth_);
            const auto base = order_.begin();
            std::inplace_merge(base + static_cast<std::ptrdiff_t>(next_),
                               base + static_cast<std::ptrdiff_t>(mid),
                               base + static_cast<std::ptrdiff_t>(end),
                               [this](uint32_t a, uint32_t b) { return less(a, b); });
            merged += end - next_;
            next_ = end;
            if (next_ >= n) {
                next_ = 0;
                runWidth_ *= 2;
            }
        }
        break;
    }
    case Phase::Done:
        return true;
    }
    if (phase_ == Phase::Merges && runWidth_ >= n)
        finish();
    return sorted();
}

void SortedNames::finish()
{
    std::vector<Ref> refs;
    refs.reserve(refs_.size());
    for (uint32_t i : order_)
        refs.push_back(refs_[i]);
    refs_ = std::move(refs);
    keys_ = std::string();
    keyStarts_ = std::vector<uint32_t>();
    order_ = std::vector<uint32_t>();
    phase_ = Phase::Done;
}

} // namespace umbrix
