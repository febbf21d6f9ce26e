#include "ui/main/SearchTextBox.h"

#include "platform/AppTitle.h"
#include "platform/Error.h"
#include "platform/FileHelpers.h"
#include "search/SearchCriteria.h"
#include "ui/controls/DirListBox.h"
#include "ui/controls/DriveListBox.h"
#include "ui/controls/FileListBox.h"
#include "ui/main/FrmSeek.h"
#include "ui/services/Interaction.h"
#include "ui/services/QtText.h"

#include <QKeyEvent>
#include <exception>

namespace umbrix {

namespace {

// Enter in the search box opens what was typed; the focus selects the text.
class SearchSpecKeys : public QObject {
public:
    explicit SearchSpecKeys(FrmSeek& window)
        : QObject(window.browser.txtSearchSpec.get()), window_(window)
    {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                txtSearchSpec_Enter(window_);
                return true;
            }
        } else if (event->type() == QEvent::FocusIn) {
            window_.browser.txtSearchSpec->selectAll();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    FrmSeek& window_;
};

} // namespace

void GoToSearchPath(FrmSeek& w, std::string& Folder, std::string& FileName, bool& Ok)
{
    Ok = true;
    bool failed = false;
    // A failed step is tried once more with the current directory; the
    // second failure ends the procedure.
    auto step = [&](auto&& action) {
        try {
            action();
            return true;
        } catch (const std::exception&) {
        } catch (const Error&) {
        }
        if (failed)
            return false;
        failed = true;
        Ok = false;
        Folder = CurrentDirectory();
        try {
            action();
            return true;
        } catch (const std::exception&) {
        } catch (const Error&) {
        }
        return false;
    };

    if (!step([&] {
            if (isAbsoluteFolder(Folder))
                w.browser.drvList->setDrive(Folder);
        }))
        return;
    if (Folder.empty()) {
        Ok = false;
        return;
    }
    if (!step([&] { w.browser.dirList->setPath(Folder); }))
        return;
    if (!step([&] { w.browser.filList->setPath(Folder); }))
        return;
    if (FileName.empty())
        FileName = "*.*";
    AppState& s = w.state();
    s.Busy = true;
    w.browser.txtSearchSpec->setText(qs(FileName));
    s.Busy = false;
}

void txtSearchSpec_Change(FrmSeek& w)
{
    AppState& s = w.state();
    if (s.Busy)
        return;
    const std::string Old = w.browser.filList->Pattern();
    const std::string Text = w.browser.txtSearchSpec->text().toStdString();
    std::string Message;
    try {
        if (Text.find('/') == std::string::npos)
            w.browser.filList->setPattern(Text);
        return;
    } catch (const Error& e) {
        if (e.number == ErrorNumber::InvalidPropertyValue) {
            Message = "Not valid search criteria.";
            std::string FileName;
            std::string Folder = SplitPathSpec(Text, FileName);
            if (!Folder.empty()) {
                bool Ok = false;
                GoToSearchPath(w, Folder, FileName, Ok);
                if (Ok) {
                    try {
                        w.browser.filList->setPattern(FileName);
                        return;
                    } catch (const Error& again) {
                        Message = again.description;
                    }
                }
            }
        } else {
            Message = e.description;
        }
    }
    MsgBox(qs(Message), MsgBoxStyle::Critical, qs(AppTitle), &w);
    std::string folder = Old;
    std::string fileName = Old;
    bool ok = false;
    GoToSearchPath(w, folder, fileName, ok);
}

void txtSearchSpec_Enter(FrmSeek& w)
{
    std::string FileName;
    std::string Folder = SplitPathSpec(w.browser.txtSearchSpec->text().toStdString(), FileName);
    bool Ok = false;
    GoToSearchPath(w, Folder, FileName, Ok);
    if (!Ok)
        return;
    try {
        w.browser.filList->setPattern(FileName);
    } catch (const Error&) {
        // A name the file list cannot take as a pattern leaves its pattern as it was.
    }
}

void connectSearchSpecHandlers(FrmSeek& w)
{
    QLineEdit* box = w.browser.txtSearchSpec.get();
    box->installEventFilter(new SearchSpecKeys(w));
    QObject::connect(box, &QLineEdit::textChanged, &w, [&w] { txtSearchSpec_Change(w); });

    QObject::connect(w.browser.chkSubDir.get(), &QCheckBox::toggled, &w,
                     [&w](bool on) { w.state().SearchSubDirs = on; });
    QObject::connect(w.browser.chkViewAll.get(), &QCheckBox::toggled, &w,
                     [&w](bool on) { w.state().ViewAll = on; });
    QObject::connect(w.browser.chkFiles.get(), &QCheckBox::toggled, &w, [&w](bool on) {
        if (on) {
            w.browser.chkFolder->setChecked(false);
            w.state().DirsOnly = false;
        }
        w.state().FilesOnly = on;
    });
    QObject::connect(w.browser.chkFolder.get(), &QCheckBox::toggled, &w, [&w](bool on) {
        if (on) {
            w.browser.chkFiles->setChecked(false);
            w.state().FilesOnly = false;
        }
        w.state().DirsOnly = on;
    });
}

} // namespace umbrix
