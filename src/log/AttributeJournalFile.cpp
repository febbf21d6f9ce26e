#include "log/AttributeJournalFile.h"

#include "platform/Error.h"
#include "platform/PathText.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace umbrix {
namespace {

constexpr std::string_view kSuffix = ".journal";
constexpr std::string_view kHeader = "# Umbrix attribute journal 1";
// A batch goes to the file once it holds this much.
constexpr size_t kBatchBytes = 64 * 1024;

int64_t nowMicroseconds()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

void appendHex(std::string& out, uint8_t b)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    out += "\\x";
    out += hex[b >> 4];
    out += hex[b & 0xF];
}

size_t sequenceLength(uint8_t lead)
{
    return lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

bool plainByte(uint8_t b)
{
    return b >= 0x20 && b < 0x7F && b != '\\';
}

void appendEscapedPath(std::string& out, std::string_view bytes)
{
    for (size_t i = 0; i < bytes.size();) {
        // Paths are nearly all plain ASCII: whole runs of it go in at once.
        size_t plain = i;
        while (plain < bytes.size() && plainByte(static_cast<uint8_t>(bytes[plain])))
            ++plain;
        out.append(bytes.substr(i, plain - i));
        if ((i = plain) == bytes.size())
            break;
        const auto b = static_cast<uint8_t>(bytes[i]);
        const size_t len = sequenceLength(b);
        if (b >= 0x80 && len > 1 && i + len <= bytes.size() &&
            displaysVerbatim(bytes.substr(i, len))) {
            out.append(bytes.substr(i, len));
            i += len;
            continue;
        }
        appendHex(out, b);
        ++i;
    }
}

void appendDigits(std::string& out, unsigned value, int digits)
{
    char text[10];
    for (int i = digits - 1; i >= 0; --i, value /= 10)
        text[i] = static_cast<char>('0' + value % 10);
    out.append(text, static_cast<size_t>(digits));
}

void appendWord(std::string& out, uint32_t word)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    char text[10] = {'0', 'x'};
    for (int i = 0; i < 8; ++i)
        text[2 + i] = hex[(word >> (28 - 4 * i)) & 0xF];
    out.append(text, sizeof text);
}

// A run writes thousands of records a second: the date and time down to the
// second are worked out once per second.
void appendTime(std::string& out, int64_t microseconds)
{
    thread_local int64_t second = -1;
    thread_local std::string secondText;
    if (microseconds / 1000000 != second) {
        second = microseconds / 1000000;
        const time_t seconds = static_cast<time_t>(second);
        struct tm tm {};
        gmtime_r(&seconds, &tm);
        char text[96];
        std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.", tm.tm_year + 1900,
                      tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
        secondText = text;
    }
    out += secondText;
    appendDigits(out, static_cast<unsigned>(microseconds % 1000000), 6);
    out += 'Z';
}

void appendLine(std::string& out, int64_t microseconds, std::string_view store,
                std::string_view path, uint32_t before, uint32_t after)
{
    appendTime(out, microseconds);
    out += '\t';
    out += store;
    out += '\t';
    appendWord(out, before);
    out += '\t';
    appendWord(out, after);
    out += '\t';
    appendEscapedPath(out, path);
    out += '\n';
}

bool unescapePath(std::string_view text, std::string& bytes)
{
    bytes.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            bytes += text[i];
            continue;
        }
        unsigned value = 0;
        if (i + 3 >= text.size())
            return false;
        if (text[i + 1] != 'x' ||
            std::from_chars(text.data() + i + 2, text.data() + i + 4, value, 16).ptr !=
                text.data() + i + 4)
            return false;
        bytes += static_cast<char>(value);
        i += 3;
    }
    return true;
}

bool parseWord(std::string_view text, uint32_t& word)
{
    if (text.size() != 10 || !text.starts_with("0x"))
        return false;
    return std::from_chars(text.data() + 2, text.data() + text.size(), word, 16).ptr ==
           text.data() + text.size();
}

bool parseTime(std::string_view text, int64_t& microseconds)
{
    // 2024-05-01T12:00:00.123456Z
    if (text.size() != 27 || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text[13] != ':' || text[16] != ':' || text[19] != '.' || text[26] != 'Z')
        return false;
    const auto number = [&](size_t at, size_t length, int& value) {
        return std::from_chars(text.data() + at, text.data() + at + length, value).ptr ==
               text.data() + at + length;
    };
    struct tm tm {};
    int micro = 0;
    if (!number(0, 4, tm.tm_year) || !number(5, 2, tm.tm_mon) || !number(8, 2, tm.tm_mday) ||
        !number(11, 2, tm.tm_hour) || !number(14, 2, tm.tm_min) || !number(17, 2, tm.tm_sec) ||
        !number(20, 6, micro))
        return false;
    tm.tm_year -= 1900;
    tm.tm_mon -= 1;
    microseconds = static_cast<int64_t>(timegm(&tm)) * 1000000 + micro;
    return true;
}

std::vector<std::string_view> fields(std::string_view line)
{
    std::vector<std::string_view> out;
    size_t start = 0;
    for (size_t tab; (tab = line.find('\t', start)) != std::string_view::npos; start = tab + 1)
        out.push_back(line.substr(start, tab - start));
    out.push_back(line.substr(start));
    return out;
}

int makeFolders(const std::string& folder)
{
    for (size_t slash = 1; slash != std::string::npos;) {
        slash = folder.find('/', slash + 1);
        const std::string part = folder.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return errno;
    }
    return 0;
}

int writeAll(int fd, std::string& data)
{
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data.erase(0, static_cast<size_t>(n));
    }
    return 0;
}

} // namespace

std::string journalTime(int64_t microseconds)
{
    std::string text;
    appendTime(text, microseconds);
    return text;
}

std::string journalLine(const JournalRecord& record)
{
    std::string line;
    appendLine(line, record.microseconds, record.store, record.path, record.before, record.after);
    return line;
}

bool parseJournalLine(std::string_view line, JournalRecord& record)
{
    const std::vector<std::string_view> parts = fields(line);
    return parts.size() == 5 && parseTime(parts[0], record.microseconds) && !parts[1].empty() &&
           parseWord(parts[2], record.before) && parseWord(parts[3], record.after) &&
           !parts[4].empty() && unescapePath(parts[4], record.path) &&
           (record.store.assign(parts[1]), true);
}

std::string journalFolder()
{
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && *data == '/')
        return std::string(data) + "/Umbrix/journal";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.local/share/Umbrix/journal";
}

std::vector<std::string> journalFiles(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string_view name = entry->d_name;
            if (name.size() > kSuffix.size() && name.ends_with(kSuffix))
                names.emplace_back(name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    for (std::string& name : names)
        name = folder + "/" + name;
    return names;
}

int readJournal(const std::string& path, JournalContents& contents)
{
    platform::FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd)
        return errno;
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            break;
        text.append(buffer, static_cast<size_t>(n));
    }
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string_view line(text.data() + start, end - start);
        if (line.empty() || line.starts_with("#"))
            continue;
        JournalRecord record;
        if (parseJournalLine(line, record))
            contents.records.push_back(std::move(record));
        else
            ++contents.unreadable;
    }
    // A last line without its newline was torn by a crash mid-write.
    if (start < text.size())
        ++contents.unreadable;
    return 0;
}

AttributeJournalFile::AttributeJournalFile(std::string folder, std::string program, Reporter report)
    : folder_(std::move(folder)), program_(std::move(program)), report_(std::move(report))
{
    // The run's start names its file, so names sort in the order of the runs.
    const int64_t now = nowMicroseconds();
    std::string stamp = journalTime(now);
    stamp.erase(
        std::remove_if(stamp.begin(), stamp.end(), [](char c) { return c == '-' || c == ':'; }),
        stamp.end());
    name_ = stamp + "-" + std::to_string(::getpid()) + std::string(kSuffix);
}

AttributeJournalFile::~AttributeJournalFile()
{
    flush();
    if (!pending_.empty())
        rescue();
    // Removing a large old file takes milliseconds; it waits for the end of
    // the run rather than hold up the first change the run makes.
    if (!path_.empty())
        rotate();
}

void AttributeJournalFile::record(platform::StoreKind store, std::string_view path, uint32_t before,
                                  uint32_t after)
{
    // A relative path would mean nothing to an undo run from elsewhere.
    std::string absolute;
    if (!path.starts_with("/")) {
        char cwd[4096];
        if (::getcwd(cwd, sizeof cwd))
            absolute = std::string(cwd) + "/";
        absolute += path;
        path = absolute;
    }
    appendLine(pending_, nowMicroseconds(), platform::storeName(store), path, before, after);
    if (pending_.size() >= kBatchBytes)
        write();
}

void AttributeJournalFile::flush()
{
    if (!pending_.empty())
        write();
}

int AttributeJournalFile::open()
{
    if (const int err = makeFolders(folder_))
        return err;
    path_ = folder_ + "/" + name_;
    fd_ = platform::FileDescriptor(::open(
        path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd_) {
        const int err = errno;
        path_.clear();
        return err;
    }
    pending_.insert(0, std::string(kHeader) + ": " + program_ + ", process " +
                           std::to_string(::getpid()) + "\n");
    return 0;
}

bool AttributeJournalFile::write()
{
    if (!fd_) {
        if (const int err = open()) {
            fail(err);
            return false;
        }
    }
    if (const int err = writeAll(fd_.get(), pending_)) {
        fail(err);
        return false;
    }
    return true;
}

void AttributeJournalFile::fail(int err)
{
    if (reported_)
        return;
    reported_ = true;
    report_("The attribute journal cannot be written (" + SystemMessageText(err) +
            "): " + displayText(path_.empty() ? folder_ + "/" + name_ : path_) +
            ". Its records are kept and written as soon as it can be.");
}

void AttributeJournalFile::rotate() const
{
    std::vector<std::string> files = journalFiles(folder_);
    std::erase(files, path_);
    const size_t older = kKeptRuns - 1;
    for (size_t i = 0; i + older < files.size(); ++i)
        ::unlink(files[i].c_str());
}

void AttributeJournalFile::rescue()
{
    const char* tmp = std::getenv("TMPDIR");
    const std::string folder = std::string(tmp && *tmp == '/' ? tmp : "/tmp") + "/umbrix-journal-" +
                               std::to_string(::getuid());
    const std::string rescuePath = folder + "/" + name_;
    platform::FileDescriptor fd;
    if (makeFolders(folder) == 0)
        fd = platform::FileDescriptor(
            ::open(rescuePath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
    std::string text = pending_;
    if (fd && writeAll(fd.get(), text) == 0 && ::fdatasync(fd.get()) == 0) {
        report_("The attribute journal could not be written; its last records were written to " +
                displayText(rescuePath) + " instead (umbrix-attrib --undo " +
                displayText(rescuePath) + " undoes them).");
    } else {
        report_("The attribute journal could not be written; these records were not kept:\n" +
                pending_);
    }
    pending_.clear();
}

} // namespace umbrix
