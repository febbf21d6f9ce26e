#include "ui/controls/FileListBox.h"

#include "platform/Error.h"
#include "platform/PathChain.h"
#include "platform/PathText.h"
#include "platform/Wildcard.h"
#include "ui/controls/FolderEntries.h"
#include "ui/controls/NameOrder.h"

namespace umbrix {
namespace {

std::string_view trimSpaces(std::string_view s)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

// The non-empty pieces of a ";" list; none means every name.
std::vector<std::string_view> patternPieces(std::string_view pattern)
{
    std::vector<std::string_view> pieces;
    size_t pos = 0;
    while (pos <= pattern.size()) {
        const size_t end = std::min(pattern.find(';', pos), pattern.size());
        const std::string_view piece = trimSpaces(pattern.substr(pos, end - pos));
        if (!piece.empty())
            pieces.push_back(piece);
        pos = end + 1;
    }
    return pieces;
}

Error invalidPropertyValue()
{
    return Error{ErrorNumber::InvalidPropertyValue,
                 standardDescription(ErrorNumber::InvalidPropertyValue)};
}

} // namespace

FileListBox::FileListBox(QWidget* parent) : NameListView(parent)
{
    try {
        load(absolutePath("."), pattern_);
    } catch (const Error&) {
        // Nothing to show until the window points the list somewhere readable.
        path_ = "/";
    }
}

bool FileListBox::isValidPattern(std::string_view pattern)
{
    return pattern.find('/') == std::string_view::npos &&
           pattern.find('\0') == std::string_view::npos;
}

void FileListBox::setPath(const std::string& path)
{
    load(absolutePath(path), pattern_);
}

void FileListBox::setPattern(const std::string& pattern)
{
    if (!isValidPattern(pattern))
        throw invalidPropertyValue();
    load(path_, pattern);
}

void FileListBox::refresh()
{
    load(path_, pattern_);
}

int FileListBox::ListCount() const
{
    return rowModel().rowCount();
}

void FileListBox::setListIndex(int index)
{
    if (index < -1 || index >= ListCount())
        throw invalidPropertyValue();
    setCurrentRow(index);
}

std::string FileListBox::List(int index) const
{
    if (index < 0 || index >= ListCount())
        return {};
    return rowModel().rows()[static_cast<size_t>(index)].bytes;
}

void FileListBox::load(const std::string& absolutePath, const std::string& pattern)
{
    const std::vector<std::string_view> pieces = patternPieces(pattern);
    std::vector<FolderEntry> files = readFiles(absolutePath, [&](std::string_view name) {
        if (pieces.empty())
            return true;
        for (std::string_view piece : pieces)
            if (wildcardMatch(piece, name))
                return true;
        return false;
    });

    std::vector<NameRow> rows;
    rows.reserve(files.size());
    for (FolderEntry& file : files)
        rows.push_back(
            NameRow{QString::fromStdString(displayText(file.name)), std::move(file.name), 0, {}});
    sortByDisplayText(rows.begin(), rows.end());

    path_ = absolutePath;
    pattern_ = pattern;
    setRows(std::move(rows), -1);
}

} // namespace umbrix
