#include "ui/services/FolderBrowser.h"

#include <QFile>
#include <QFileDialog>
#include <QStringList>

namespace umbrix {
namespace {

ScopedFolderBrowser* g_browser = nullptr;

// The folder the dialog opens at when the caller names none: the one the
// user chose last, so that copies made one after another go to one place
// without walking there again.
std::string& BrowseStartDir()
{
    static std::string folder;
    return folder;
}

std::string showDialog(const FolderBrowseCall& call)
{
    QFileDialog dialog(call.owner, call.title);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(call.includeFiles ? QFileDialog::AnyFile : QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, !call.includeFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // The prompt stands where the dialog names the folder it shows.
    dialog.setLabelText(QFileDialog::LookIn, call.prompt);
    dialog.setWindowModality(Qt::WindowModal);
    if (!call.startFolder.empty())
        dialog.setDirectory(QFile::decodeName(QByteArray::fromStdString(call.startFolder)));
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty())
        return {};
    return QFile::encodeName(chosen.first()).toStdString();
}

} // namespace

std::string BrowseDirectory(QWidget* owner, const QString& prompt, bool,
                            const std::string& startFolder, bool includeFiles)
{
    if (!startFolder.empty())
        BrowseStartDir() = startFolder;
    FolderBrowseCall call{QStringLiteral("Browse Directory"), prompt, BrowseStartDir(),
                          includeFiles, owner};
    std::string chosen;
    if (g_browser) {
        chosen = g_browser->answer_ ? g_browser->answer_(call) : std::string();
        g_browser->calls_.push_back(std::move(call));
    } else {
        chosen = showDialog(call);
    }
    if (!chosen.empty())
        BrowseStartDir() = chosen;
    return chosen;
}

ScopedFolderBrowser::ScopedFolderBrowser(Answer answer)
    : answer_(std::move(answer)), previous_(g_browser)
{
    g_browser = this;
}

ScopedFolderBrowser::~ScopedFolderBrowser()
{
    g_browser = previous_;
}

} // namespace umbrix
