#pragma once

#include <QString>
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace umbrix {

// Lets the user pick a folder in Qt's own folder dialog, modal to `owner`,
// captioned "Browse Directory", with `prompt` above the folders.  Only
// folders are offered unless `includeFiles`.  It opens at `startFolder`
// when one is given, else at the folder last chosen in it.  Returns the
// chosen folder as bytes ("/" for the root, no trailing "/" otherwise), or
// "" when the user cancels.  `newDialogStyle` has no meaning here: there is
// one dialog.
std::string BrowseDirectory(QWidget* owner, const QString& prompt, bool newDialogStyle,
                            const std::string& startFolder, bool includeFiles);

// --- Seam for tests ----------------------------------------------------------

struct FolderBrowseCall {
    QString title;
    QString prompt;
    // Where the dialog opens; "" for its own default.
    std::string startFolder;
    bool includeFiles = false;
    QWidget* owner = nullptr;
};

// While alive, BrowseDirectory records every call and returns what `answer`
// gives instead of showing the dialog ("" when no answer function is given).
class ScopedFolderBrowser {
public:
    using Answer = std::function<std::string(const FolderBrowseCall&)>;
    explicit ScopedFolderBrowser(Answer answer = {});
    ~ScopedFolderBrowser();
    ScopedFolderBrowser(const ScopedFolderBrowser&) = delete;
    ScopedFolderBrowser& operator=(const ScopedFolderBrowser&) = delete;

    const std::vector<FolderBrowseCall>& calls() const { return calls_; }

private:
    friend std::string BrowseDirectory(QWidget*, const QString&, bool, const std::string&, bool);
    Answer answer_;
    std::vector<FolderBrowseCall> calls_;
    ScopedFolderBrowser* previous_;
};

} // namespace umbrix
