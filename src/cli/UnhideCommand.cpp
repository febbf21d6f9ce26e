#include "cli/UnhideCommand.h"

#include "cli/AttribCommand.h"
#include "cli/Interrupt.h"
#include "platform/AttributeJournal.h"
#include "platform/AttributeStore.h"
#include "platform/Error.h"
#include "platform/FolderHandle.h"
#include "platform/PathText.h"
#include "search/Scanner.h"
#include "search/SearchView.h"

#include <unordered_set>

namespace umbrix::cli {
namespace {

namespace Attr = platform::Attr;

// Passes every record on and keeps the last, which is the unhiding of the
// entry the walk lists next.
class LastRecord : public platform::AttributeJournal {
public:
    explicit LastRecord(platform::AttributeJournal* next) : next_(next) {}

    void record(platform::StoreKind store, std::string_view path,
                platform::JournalIdentity identity, uint32_t before, uint32_t after) override
    {
        if (next_)
            next_->record(store, path, identity, before, after);
        keep(store, path, before, after);
    }
    void recordWalked(platform::StoreKind store, std::string_view path, size_t rootSize,
                      platform::JournalIdentity identity, uint32_t before, uint32_t after) override
    {
        if (next_)
            next_->recordWalked(store, path, rootSize, identity, before, after);
        keep(store, path, before, after);
    }
    void recordMove(std::string_view from, std::string_view to,
                    platform::JournalIdentity identity) override
    {
        if (next_)
            next_->recordMove(from, to, identity);
    }
    void recordFolderMade(std::string_view path, platform::JournalIdentity identity) override
    {
        if (next_)
            next_->recordFolderMade(path, identity);
    }
    void flush() override
    {
        if (next_)
            next_->flush();
    }

    bool isOf(const std::string& path) const { return !path_.empty() && path_ == path; }
    platform::StoreKind store() const { return store_; }
    uint32_t before() const { return before_; }
    uint32_t after() const { return after_; }

private:
    void keep(platform::StoreKind store, std::string_view path, uint32_t before, uint32_t after)
    {
        store_ = store;
        path_.assign(path);
        before_ = before;
        after_ = after;
    }

    platform::AttributeJournal* next_;
    platform::StoreKind store_{};
    std::string path_;
    uint32_t before_ = 0;
    uint32_t after_ = 0;
};

class TerminalView : public SearchView {
public:
    TerminalView(Output& output, const LastRecord& last, SearchFlags& flags)
        : out_(output), last_(last), flags_(flags)
    {}

    void FoundFileAdd(const std::string& folder, const std::string& name,
                      const platform::EntryIdentity&) override
    {
        path_.assign(folder).append(name);
        const bool unhidden = last_.isOf(path_);
        unhidden_ += unhidden ? 1 : 0;
        if (out_.format() != OutputFormat::Json) {
            EntryReport report{path_, {}, 0, 0, {}};
            if (out_.format() == OutputFormat::Text)
                out_.entryLine(unhidden ? "unhidden  " : "          ", path_);
            else
                out_.listed(report);
            return;
        }
        EntryReport report{path_, {}, 0, 0, unhidden ? "unhidden" : ""};
        std::string store;
        if (unhidden) {
            report.store = platform::storeName(last_.store());
            report.before = last_.before();
            report.after = last_.after();
        } else {
            wordOf(store, report.before);
            report.store = store;
            report.after = report.before;
        }
        out_.listed(report);
    }
    void RefreshResult(const std::string& folder, const std::string&, int32_t) override
    {
        out_.progress().update(flags_.entriesMet, folder);
    }
    // attrib's "MESSAGE - PATH" with the system's text, once for each path:
    // the walk tells a folder it could not open in each of its passes.
    void reportFailure(std::string_view folder, std::string_view name, const Error& error) override
    {
        std::string path(folder);
        if (name.empty() && path.size() > 1)
            path.pop_back();
        path += name;
        const bool missing =
            error.number == ErrorNumber::FileNotFound || error.number == ErrorNumber::PathNotFound;
        const std::string line =
            (missing ? std::string(name.empty() ? "Path not found" : "File not found")
                     : error.description) +
            " - " + displayText(path);
        if (reported_.insert(line).second)
            out_.failure(line);
    }
    void Log(const std::string& logText, bool) override
    {
        std::string text = logText;
        for (size_t at; (at = text.find("\r\n")) != std::string::npos;)
            text.replace(at, 2, ", ");
        out_.failure(text);
    }
    bool isMinimized() const override { return false; }
    void setCaption(const std::string&) override {}
    void DoEvents() override
    {
        if (interrupted())
            flags_.Searching = false;
    }

    int64_t unhidden() const { return unhidden_; }

private:
    // The word and store of a listed entry the walk did not change.
    void wordOf(std::string& store, uint32_t& word) const
    {
        const size_t slash = path_.rfind('/');
        platform::FileDescriptor folder;
        const std::string parent = slash == 0 ? "/" : path_.substr(0, slash);
        const std::string name = path_.substr(slash + 1);
        platform::FolderAttributes attributes;
        platform::FolderIdentity identity;
        if (platform::openFolder(parent, folder) == 0 &&
            platform::FolderAttributes::of(folder.get(), attributes, identity) == 0) {
            store = platform::storeName(attributes.store());
            platform::queryAttributesAt(folder.get(), name.c_str(), path_, word);
        }
    }

    Output& out_;
    const LastRecord& last_;
    SearchFlags& flags_;
    std::string path_;
    int64_t unhidden_ = 0;
    std::unordered_set<std::string> reported_;
};

} // namespace

void runUnhide(const AttribArguments& arguments, Output& output)
{
    std::string folder = absolutePath(arguments.paths.front());
    while (folder.size() > 1 && folder.ends_with("//"))
        folder.pop_back();
    if (!folder.ends_with('/'))
        folder += '/';

    SearchOptions options;
    options.SearchSubDirs = true;
    options.LogErrors = true;
    options.ViewAll = arguments.listing == Listing::All;
    options.FilesOnly = arguments.listing == Listing::FilesOnly;
    options.DirsOnly = arguments.listing == Listing::DirsOnly;
    SearchFlags flags;

    LastRecord last(platform::attributeJournal());
    platform::ScopedAttributeJournal tee(last);
    TerminalView view(output, last, flags);
    ScanFolder(ScanContext{view, options, flags}, folder, folder);
    platform::flushAttributeJournal();

    output.summary(std::to_string(flags.entriesMet) + " entries examined, " +
                   std::to_string(flags.hiddenOrSystemListed) +
                   " hidden or system entries found, " + std::to_string(view.unhidden()) +
                   " unhidden" + (interrupted() ? " before the search was interrupted." : "."));
}

} // namespace umbrix::cli
