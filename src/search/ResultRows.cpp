#include "search/ResultRows.h"

#include "platform/AsciiCase.h"
#include "platform/Error.h"
#include "platform/PathText.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace umbrix {
namespace {

// Rows sorted together before they join the pending runs: small enough to
// be sorted between two rounds of window events, large enough that a run
// is not merged for every row.
constexpr std::size_t kPendingRun = 256;

// Past this much text a box gets room for a full box of rows of
// kReservedRowBytes on average; only what is written takes memory.
constexpr std::size_t kSmallBoxText = 64 * 1024;
constexpr std::size_t kReservedRowBytes = 128;

} // namespace

bool resultRowLess(std::string_view displayA, std::string_view bytesA, std::string_view displayB,
                   std::string_view bytesB)
{
    if (const int c = compareAsciiFolded(displayA, displayB); c != 0)
        return c < 0;
    if (const int c = displayA.compare(displayB); c != 0)
        return c < 0;
    return bytesA < bytesB;
}

void ResultRows::add(std::string_view folder, std::string_view name,
                     const platform::EntryIdentity& identity)
{
    constexpr std::size_t limit = std::numeric_limits<uint32_t>::max();
    const std::size_t length = folder.size() + name.size();
    // The display text can be four times the bytes ("\xNN" per byte).
    if (length > limit / 8 || text_.size() > limit - 5 * length)
        throw Error{ErrorNumber::InvalidArgument, "Invalid procedure call or argument"};

    // Text that outgrows its room is copied whole.  Doubled as it grew, a
    // box's text would be copied megabytes at once in the middle of a walk:
    // milliseconds without a round of window events where every fresh page
    // costs a fault.
    constexpr std::size_t reserved = std::size_t{ResultBoxFullRows} * kReservedRowBytes;
    if (text_.size() >= kSmallBoxText && text_.capacity() < reserved)
        text_.reserve(reserved);

    Record r;
    r.identity = identity;
    r.offset = static_cast<uint32_t>(text_.size());
    r.length = static_cast<uint32_t>(length);
    text_.append(folder);
    text_.append(name);
    const std::string_view row(text_.data() + r.offset, r.length);
    if (displaysVerbatim(row)) {
        r.displayOffset = r.offset;
        r.displayLength = r.length;
    } else {
        const std::string shown = displayText(row);
        r.displayOffset = static_cast<uint32_t>(text_.size());
        r.displayLength = static_cast<uint32_t>(shown.size());
        text_.append(shown);
    }
    pending_.push_back(r);
    if (pending_.size() - sortedEnd_ >= kPendingRun)
        sortPending(false);
}

void ResultRows::sortPending(bool all)
{
    const auto rowLess = [this](const Record& a, const Record& b) { return less(a, b); };
    const auto at = [this](std::size_t i) { return pending_.begin() + static_cast<std::ptrdiff_t>(i); };
    if (sortedEnd_ < pending_.size()) {
        std::stable_sort(at(sortedEnd_), pending_.end(), rowLess);
        runStarts_.push_back(sortedEnd_);
        sortedEnd_ = pending_.size();
    }
    // Adjacent runs only, the earlier first: rows that compare equal keep
    // the order they came in.
    while (runStarts_.size() > 1) {
        const std::size_t last = runStarts_.back();
        const std::size_t before = runStarts_[runStarts_.size() - 2];
        if (!all && sortedEnd_ - last < last - before)
            break;
        std::inplace_merge(at(before), at(last), at(sortedEnd_), rowLess);
        runStarts_.pop_back();
    }
}

bool ResultRows::less(const Record& a, const Record& b) const
{
    return resultRowLess(displayOf(a), bytesOf(a), displayOf(b), bytesOf(b));
}

const ResultRows::Record& ResultRows::record(int32_t row) const
{
    if (!merged_.empty() && row < mergedEnd_)
        return merged_[static_cast<std::size_t>(row)];
    return rows_[static_cast<std::size_t>(row - inserted_)];
}

std::string_view ResultRows::bytes(int32_t row) const
{
    if (row < 0 || row >= shown())
        return {};
    return bytesOf(record(row));
}

std::string_view ResultRows::display(int32_t row) const
{
    if (row < 0 || row >= shown())
        return {};
    return displayOf(record(row));
}

platform::EntryIdentity ResultRows::identity(int32_t row) const
{
    if (row < 0 || row >= shown())
        return {};
    return record(row).identity;
}

void ResultRows::commit(ResultRowsListener* listener)
{
    if (pending_.empty())
        return;
    sortPending(true);
    runStarts_.clear();
    sortedEnd_ = 0;

    // One merge; the new rows land in runs, each told to the listener.
    std::vector<Record> merged;
    merged.reserve(rows_.size() + pending_.size());
    std::vector<std::pair<int32_t, int32_t>> runs; // first, count
    std::size_t i = 0;
    std::size_t j = 0;
    while (j < pending_.size()) {
        if (i < rows_.size() && !less(pending_[j], rows_[i])) {
            merged.push_back(rows_[i++]);
            continue;
        }
        const auto at = static_cast<int32_t>(merged.size());
        if (!runs.empty() && runs.back().first + runs.back().second == at)
            ++runs.back().second;
        else
            runs.emplace_back(at, 1);
        merged.push_back(pending_[j++]);
    }
    merged.insert(merged.end(), rows_.begin() + static_cast<std::ptrdiff_t>(i), rows_.end());
    pending_.clear();

    if (runs.size() > ResultRunsToTell) {
        // Telling a view of thousands of scattered runs one by one costs it
        // far more than laying itself out once.
        if (listener)
            listener->beginResetRows();
        rows_ = std::move(merged);
        if (listener)
            listener->endResetRows();
        return;
    }

    merged_ = std::move(merged);
    mergedEnd_ = 0;
    inserted_ = 0;
    for (const auto& [first, n] : runs) {
        mergedEnd_ = first;
        if (listener)
            listener->beginInsertRows(first, first + n - 1);
        mergedEnd_ = first + n;
        inserted_ += n;
        if (listener)
            listener->endInsertRows();
    }
    rows_ = std::move(merged_);
    merged_.clear();
    mergedEnd_ = 0;
    inserted_ = 0;
}

bool ResultRows::remove(int32_t row)
{
    if (!merged_.empty() || row < 0 || row >= static_cast<int32_t>(rows_.size()))
        return false;
    rows_.erase(rows_.begin() + row);
    return true;
}

ResultRows::Runs ResultRows::runsWhere(const std::function<bool(std::string_view)>& picks) const
{
    Runs runs;
    if (!merged_.empty())
        return runs;
    const auto n = static_cast<int32_t>(rows_.size());
    for (int32_t row = 0; row < n; ++row) {
        if (!picks(bytesOf(rows_[static_cast<std::size_t>(row)])))
            continue;
        if (!runs.empty() && runs.back().first + runs.back().second == row)
            ++runs.back().second;
        else
            runs.emplace_back(row, 1);
    }
    return runs;
}

void ResultRows::removeRuns(const Runs& runs)
{
    if (!merged_.empty() || runs.empty())
        return;
    auto kept = rows_.begin() + runs.front().first;
    auto next = kept;
    for (std::size_t k = 0; k < runs.size(); ++k) {
        next = rows_.begin() + runs[k].first + runs[k].second;
        const auto end = k + 1 < runs.size() ? rows_.begin() + runs[k + 1].first : rows_.end();
        kept = std::move(next, end, kept);
    }
    rows_.erase(kept, rows_.end());
}

void ResultRows::clear()
{
    text_.clear();
    text_.shrink_to_fit();
    rows_.clear();
    rows_.shrink_to_fit();
    pending_.clear();
    pending_.shrink_to_fit();
    runStarts_.clear();
    sortedEnd_ = 0;
}

} // namespace umbrix
