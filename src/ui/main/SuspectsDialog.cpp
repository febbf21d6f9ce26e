#include "ui/main/SuspectsDialog.h"

#include "platform/AppTitle.h"
#include "platform/Error.h"
#include "platform/PathChain.h"
#include "platform/PathText.h"
#include "suspects/Quarantine.h"
#include "ui/controls/DirListBox.h"
#include "ui/main/FrmSeek.h"
#include "ui/services/Interaction.h"
#include "ui/services/QtText.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace umbrix {
namespace {

constexpr int kPathRole = Qt::UserRole;

} // namespace

SuspectsDialog::SuspectsDialog(FrmSeek& window, std::string folder)
    : QDialog(&window), window_(window), folder_(std::move(folder))
{
    setObjectName(QStringLiteral("suspectsDialog"));
    setWindowTitle(QStringLiteral("Check for malware shortcuts"));
    setWindowModality(Qt::ApplicationModal);
    status_ = new QLabel(this);
    status_->setWordWrap(true);
    list_ = new QTreeWidget(this);
    list_->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Reason")});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->header()->setStretchLastSection(true);
    auto* buttons = new QDialogButtonBox(this);
    quarantine_ = buttons->addButton(QStringLiteral("&Quarantine"), QDialogButtonBox::ActionRole);
    quarantine_->setEnabled(false);
    buttons->addButton(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &SuspectsDialog::reject);
    connect(quarantine_, &QPushButton::clicked, this, [this] { quarantineChecked(); });
    connect(list_, &QTreeWidget::itemChanged, this, [this] { updateButton(); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status_);
    layout->addWidget(list_, 1);
    layout->addWidget(buttons);
    resize(720, 360);
}

bool SuspectsDialog::visit(const std::string& folder)
{
    if (pacer_.due())
        pacer_.yield([&] {
            status_->setText(QStringLiteral("Looking in ") + qs(displayText(folder)));
            umbrix::DoEvents();
        });
    return !stopped_ && !window_.state().Closing;
}

bool SuspectsDialog::search()
{
    searching_ = true;
    pacer_.startNow();
    status_->setText(QStringLiteral("Looking in ") + qs(displayText(folder_)));
    window_.setCaption(std::string(AppTitle) + " - checking for malware shortcuts");
    suspects::SuspectFindings findings = suspects::findSuspects(
        folder_, [this](const std::string& folder) { return visit(folder); });
    window_.setCaption(std::string(AppTitle));
    searching_ = false;
    if (stopped_ || findings.stopped)
        return false;
    found_ = std::move(findings.suspects);
    fill();
    tellFailures("Some entries could not be looked at:", findings.failures);
    return true;
}

void SuspectsDialog::fill()
{
    const QSignalBlocker quiet(list_);
    list_->clear();
    const std::string top = withTrailingSlash(folder_);
    for (const suspects::Suspect& suspect : found_) {
        const std::string shown =
            suspect.path.starts_with(top) ? suspect.path.substr(top.size()) : suspect.path;
        auto* item = new QTreeWidgetItem(list_, {qs(displayText(shown)), qs(suspect.reason)});
        item->setData(0, kPathRole, QByteArray::fromStdString(suspect.path));
        item->setToolTip(0, qs(displayText(suspect.path)));
        item->setToolTip(1, qs(suspect.reason));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, suspect.sure ? Qt::Checked : Qt::Unchecked);
    }
    list_->resizeColumnToContents(0);
    status_->setText(
        found_.empty() ? QStringLiteral("No malware shortcuts or launchers found in ") +
                             qs(displayText(folder_)) + QLatin1Char('.')
                       : QString::number(found_.size()) +
                             QStringLiteral(" suspects in %1. Checked ones are moved, by rename, "
                                            "into the folder \"%2\" there; --undo puts them back.")
                                 .arg(qs(displayText(folder_)), qs(suspects::kQuarantineFolder)));
    updateButton();
}

void SuspectsDialog::updateButton()
{
    bool any = false;
    for (int i = 0; i < list_->topLevelItemCount() && !any; ++i)
        any = list_->topLevelItem(i)->checkState(0) == Qt::Checked;
    quarantine_->setEnabled(any && !searching_);
}

int SuspectsDialog::quarantineChecked()
{
    std::vector<std::string> chosen;
    for (int i = 0; i < list_->topLevelItemCount(); ++i)
        if (const QTreeWidgetItem* item = list_->topLevelItem(i);
            item->checkState(0) == Qt::Checked)
            chosen.push_back(item->data(0, kPathRole).toByteArray().toStdString());
    if (chosen.empty() || searching_)
        return 0;
    searching_ = true;
    updateButton();
    pacer_.startNow();
    const suspects::QuarantineResult result = suspects::quarantine(
        folder_, chosen, [this](const std::string& path) { return visit(path); });
    searching_ = false;
    // The rows that stay keep the marks a person gave them.
    for (const suspects::QuarantineMove& move : result.moved) {
        std::erase_if(found_, [&](const suspects::Suspect& s) { return s.path == move.from; });
        for (int i = list_->topLevelItemCount() - 1; i >= 0; --i)
            if (list_->topLevelItem(i)->data(0, kPathRole).toByteArray().toStdString() == move.from)
                delete list_->takeTopLevelItem(i);
    }
    if (stopped_) {
        QDialog::reject();
        return static_cast<int>(result.moved.size());
    }
    updateButton();
    tellFailures("These could not be moved and are where they were:", result.failures);
    status_->setText(QString::number(result.moved.size()) + QStringLiteral(" moved to ") +
                     qs(displayText(joinPath(folder_, suspects::kQuarantineFolder))) +
                     QLatin1Char('.'));
    return static_cast<int>(result.moved.size());
}

void SuspectsDialog::tellFailures(const std::string& intro,
                                  const std::vector<suspects::SuspectFailure>& failures)
{
    if (failures.empty())
        return;
    std::string text = intro + "\r";
    for (const suspects::SuspectFailure& failure : failures)
        text += "\r" + displayText(failure.path) + " - " + SystemMessageText(failure.error);
    umbrix::MsgBox(qs(text), 48, qs(AppTitle), this);
}

void SuspectsDialog::reject()
{
    // Closing mid-search stops it; the dialog goes once the search returns.
    stopped_ = true;
    if (!searching_)
        QDialog::reject();
}

void CheckForMalwareShortcuts(FrmSeek& window)
{
    if (window.state().Searching || window.fraAttrib->commandRunning())
        return;
    SuspectsDialog dialog(window, window.browser.dirList->Path());
    dialog.show();
    if (dialog.search())
        dialog.exec();
}

} // namespace umbrix
