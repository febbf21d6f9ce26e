#include "ui/controls/DriveListBox.h"

#include "platform/Error.h"
#include "platform/PathChain.h"
#include "platform/PathText.h"

namespace umbrix {
namespace {

constexpr int32_t DeviceUnavailable = 68;

QString rowText(const Volume& v)
{
    QString text = QString::fromStdString(displayText(v.mountPoint));
    if (!v.fsType.empty())
        text += QStringLiteral(" [") + QString::fromStdString(v.fsType) + QLatin1Char(']');
    return text;
}

// The volume the program started on, as a drive list starts on the current
// drive.
std::string startRoot(const std::vector<Volume>& volumes)
{
    try {
        const int index = volumeHolding(volumes, absolutePath("."));
        if (index >= 0)
            return volumes[static_cast<size_t>(index)].mountPoint;
    } catch (const Error&) {
    }
    return "/";
}

} // namespace

DriveListBox::DriveListBox(QWidget* parent) : DriveListBox(parent, "/proc/self/mountinfo") {}

DriveListBox::DriveListBox(QWidget* parent, std::string mountInfoPath)
    : QComboBox(parent), mountInfoPath_(std::move(mountInfoPath))
{
    auto volumes = readMountTable(mountInfoPath_);
    const std::string root = startRoot(volumes);
    fill(std::move(volumes), root);
    connect(this, &QComboBox::currentIndexChanged, this, &DriveListBox::onCurrentIndexChanged);
}

std::string DriveListBox::Drive() const
{
    return currentText().toStdString();
}

std::string DriveListBox::DriveRoot() const
{
    const int index = currentIndex();
    return index >= 0 ? volumes_[static_cast<size_t>(index)].mountPoint : std::string("/");
}

void DriveListBox::setDrive(const std::string& text)
{
    int index = findText(QString::fromStdString(text), Qt::MatchExactly);
    if (index < 0 && text.starts_with('/'))
        index = volumeHolding(volumes_, absolutePath(text));
    if (index < 0)
        throw Error{DeviceUnavailable, "Device unavailable"};
    setCurrentIndex(index);
}

int DriveListBox::ListCount() const
{
    return count();
}

int DriveListBox::ListIndex() const
{
    return currentIndex();
}

std::string DriveListBox::List(int index) const
{
    return index >= 0 && index < count() ? itemText(index).toStdString() : std::string();
}

std::string DriveListBox::ListRoot(int index) const
{
    return index >= 0 && index < count() ? volumes_[static_cast<size_t>(index)].mountPoint
                                         : std::string();
}

void DriveListBox::refresh()
{
    const std::string before = DriveRoot();
    fill(readMountTable(mountInfoPath_), before);
    if (DriveRoot() != before)
        emit Change();
}

void DriveListBox::showPopup()
{
    refresh();
    QComboBox::showPopup();
}

void DriveListBox::fill(std::vector<Volume> volumes, const std::string& keepRoot)
{
    filling_ = true;
    volumes_ = std::move(volumes);
    clear();
    int keep = 0;
    for (size_t i = 0; i < volumes_.size(); ++i) {
        addItem(rowText(volumes_[i]));
        if (volumes_[i].mountPoint == keepRoot)
            keep = static_cast<int>(i);
    }
    setCurrentIndex(keep);
    lastIndex_ = keep;
    filling_ = false;
}

void DriveListBox::onCurrentIndexChanged(int index)
{
    if (filling_ || index == lastIndex_)
        return;
    lastIndex_ = index;
    emit Change();
}

} // namespace umbrix
