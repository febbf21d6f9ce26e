#pragma once

#include "platform/EntryReach.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace umbrix {

// A result list box that holds more than this many rows takes no more: the
// next row goes into a new list box.
inline constexpr int32_t ResultBoxFullRows = 32600;
// A refused insertion into a list box holding more than this many rows also
// means it is full.
inline constexpr int32_t ResultBoxRefusalRows = 20000;

// The order of the result list: by display text, letters without regard to
// case, then by display text as it is, then by the bytes behind it, so that
// equal-looking rows still have one fixed order.
bool resultRowLess(std::string_view displayA, std::string_view bytesA, std::string_view displayB,
                   std::string_view bytesB);

// Told about every run of rows that commit() puts into place, in ascending
// order.  Between begin and end the rows read as before the run; after end
// they include it.  A commit whose rows land in more runs than are worth
// telling one by one (rows that arrive in no particular order) tells them as
// one reset instead, with the same promise.
class ResultRowsListener {
public:
    virtual ~ResultRowsListener() = default;
    virtual void beginInsertRows(int32_t first, int32_t last) = 0;
    virtual void endInsertRows() = 0;
    virtual void beginResetRows() = 0;
    virtual void endResetRows() = 0;
};

// More runs than this in one commit are told as a reset.
inline constexpr std::size_t ResultRunsToTell = 32;

// The rows of one result list box, kept sorted, each with its exact bytes
// (folder + name) and its display text.  Rows arrive much faster than anyone
// can read them, so add() only collects them and commit() sorts a whole batch
// into place in one merge; readers see committed rows only.  The batch is
// sorted as it grows, in runs merged like the digits of a binary counter, so
// that a commit (which the window makes while it handles its events) finds
// it nearly sorted however many rows came since the last.
class ResultRows {
public:
    // Throws Error{InvalidArgument} when the row cannot be kept (the box's
    // text would outgrow what it can address).
    // `identity` is the entry the walk found, kept for the commands on the row.
    void add(std::string_view folder, std::string_view name,
             const platform::EntryIdentity& identity = {});

    // Rows held, committed or not.
    int32_t count() const { return shown() + static_cast<int32_t>(pending_.size()); }
    bool hasPending() const { return !pending_.empty(); }

    // Committed rows, as readers see them (also while commit() runs).
    int32_t shown() const { return static_cast<int32_t>(rows_.size()) + inserted_; }
    std::string_view bytes(int32_t row) const;
    std::string_view display(int32_t row) const;
    // Not known outside the committed rows.
    platform::EntryIdentity identity(int32_t row) const;

    // Sorts the collected rows into place.
    void commit(ResultRowsListener* listener = nullptr);
    // Takes committed row `row` out; the rows after it move up one.  Its
    // text stays held until clear().  False outside the committed rows, or
    // while a commit runs.
    bool remove(int32_t row);
    // The runs of committed rows whose bytes `picks` (first row, count),
    // ascending; none while a commit runs.
    using Runs = std::vector<std::pair<int32_t, int32_t>>;
    Runs runsWhere(const std::function<bool(std::string_view bytes)>& picks) const;
    // Takes those runs out in one pass.
    void removeRuns(const Runs& runs);
    void clear();

private:
    struct Record {
        uint32_t offset = 0;
        uint32_t length = 0;
        uint32_t displayOffset = 0;
        uint32_t displayLength = 0;
        platform::EntryIdentity identity;
    };

    std::string_view bytesOf(const Record& r) const { return {text_.data() + r.offset, r.length}; }
    std::string_view displayOf(const Record& r) const
    {
        return {text_.data() + r.displayOffset, r.displayLength};
    }
    bool less(const Record& a, const Record& b) const;
    const Record& record(int32_t row) const;
    // Sorts pending_ from sortedEnd_ on into a run and merges the runs down
    // to one while the last is at least as long as the one before it
    // (`all`: down to one whatever their lengths).
    void sortPending(bool all);

    std::string text_; // every row's bytes, and display text where it differs
    std::vector<Record> rows_;
    std::vector<Record> pending_;
    std::vector<std::size_t> runStarts_; // sorted runs of pending_ up to sortedEnd_
    std::size_t sortedEnd_ = 0;

    // While commit() runs: the merged rows, how far readers see them, and how
    // many of them are new so far.
    std::vector<Record> merged_;
    int32_t mergedEnd_ = 0;
    int32_t inserted_ = 0;
};

} // namespace umbrix
