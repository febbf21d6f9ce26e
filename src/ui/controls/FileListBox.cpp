#include "ui/controls/FileListBox.h"

#include "platform/Error.h"
#include "platform/PathChain.h"
#include "platform/PathText.h"
#include "platform/Wildcard.h"
#include "ui/controls/FolderEntries.h"
#include "ui/controls/SortedNames.h"

namespace umbrix {

// The rows of the list: names kept once, in one block, their texts made
// only for the rows the view asks about.
class FileNameModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    void setNames(std::unique_ptr<SortedNames> names)
    {
        beginResetModel();
        names_ = std::move(names);
        endResetModel();
    }
    std::string_view name(int row) const { return names_->name(static_cast<size_t>(row)); }
    uint64_t inode(int row) const { return names_->inode(static_cast<size_t>(row)); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() || !names_ ? 0 : static_cast<int>(names_->size());
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= rowCount())
            return {};
        const std::string_view bytes = name(index.row());
        switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            return QString::fromStdString(displayText(bytes));
        case NameRowModel::BytesRole:
            return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
        case NameRowModel::IndentRole:
            return 0;
        default:
            return {};
        }
    }

private:
    std::unique_ptr<SortedNames> names_;
};

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
std::vector<std::string> patternPieces(std::string_view pattern)
{
    std::vector<std::string> pieces;
    size_t pos = 0;
    while (pos <= pattern.size()) {
        const size_t end = std::min(pattern.find(';', pos), pattern.size());
        const std::string_view piece = trimSpaces(pattern.substr(pos, end - pos));
        if (!piece.empty())
            pieces.emplace_back(piece);
        pos = end + 1;
    }
    return pieces;
}

bool matchesAny(const std::vector<std::string>& pieces, std::string_view name)
{
    if (pieces.empty())
        return true;
    for (const std::string& piece : pieces)
        if (wildcardMatch(piece, name))
            return true;
    return false;
}

Error invalidPropertyValue()
{
    return Error{ErrorNumber::InvalidPropertyValue,
                 standardDescription(ErrorNumber::InvalidPropertyValue)};
}

} // namespace

// A folder on its way into the list: read a round at a time, then ordered.
struct FileListFill {
    FileListFill(const std::string& folder, std::string_view pattern)
        : reader(folder), pieces(patternPieces(pattern)), names(std::make_unique<SortedNames>())
    {}

    // One round; true once the names are in order.
    bool step(size_t roundSize)
    {
        if (!read) {
            try {
                read = reader.read(
                    roundSize, [this](std::string_view name) { return matchesAny(pieces, name); },
                    [this](std::string_view name, uint64_t inode) { names->add(name, inode); });
            } catch (const Error&) {
                // The folder opened but failed midway: what was read is shown.
                read = true;
            }
            // A small folder is read and ordered in the same round.
            if (!read || names->size() > roundSize)
                return false;
        }
        bool sorted = names->round(roundSize);
        while (!sorted && names->size() <= roundSize)
            sorted = names->round(roundSize);
        return sorted;
    }

    FileReader reader;
    std::vector<std::string> pieces;
    std::unique_ptr<SortedNames> names;
    bool read = false;
};

FileListBox::FileListBox(QWidget* parent)
    : NameListView(new FileNameModel, parent), names_(static_cast<FileNameModel*>(model()))
{
    fillTimer_.setInterval(0);
    connect(&fillTimer_, &QTimer::timeout, this, &FileListBox::fillRound);
    try {
        load(absolutePath("."), pattern_);
    } catch (const Error&) {
        // Nothing to show until the window points the list somewhere readable.
        path_ = "/";
    }
}

FileListBox::~FileListBox() = default;

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
    finishFilling();
    return names_->rowCount();
}

void FileListBox::setListIndex(int index)
{
    finishFilling();
    if (index < -1 || index >= ListCount())
        throw invalidPropertyValue();
    setCurrentRow(index);
}

std::string FileListBox::List(int index) const
{
    if (index < 0 || index >= ListCount())
        return {};
    return std::string(names_->name(index));
}

platform::EntryIdentity FileListBox::ListIdentity(int index) const
{
    if (index < 0 || index >= ListCount())
        return {};
    return {device_, names_->inode(index)};
}

void FileListBox::load(const std::string& absolutePath, const std::string& pattern)
{
    auto fill = std::make_unique<FileListFill>(absolutePath, pattern);
    path_ = absolutePath;
    pattern_ = pattern;
    fillTimer_.stop();
    filling_ = std::move(fill);
    // A folder that fits in a round is shown at once, as it always was.
    fillRound();
    if (filling_) {
        replaceRows([this] { names_->setNames(nullptr); }, -1);
        fillTimer_.start();
    }
}

void FileListBox::fillRound()
{
    if (!filling_ || !filling_->step(roundSize_))
        return;
    std::unique_ptr<SortedNames> names = std::move(filling_->names);
    device_ = filling_->reader.device();
    filling_.reset();
    fillTimer_.stop();
    showRows(std::move(names));
}

void FileListBox::finishFilling() const
{
    auto& self = const_cast<FileListBox&>(*this);
    while (self.filling_)
        self.fillRound();
}

void FileListBox::showRows(std::unique_ptr<SortedNames> names)
{
    replaceRows([&] { names_->setNames(std::move(names)); }, -1);
}

} // namespace umbrix
