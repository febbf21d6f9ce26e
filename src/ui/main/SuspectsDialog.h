#pragma once

#include "suspects/SuspectSearch.h"
#include "ui/main/YieldPacer.h"

#include <QDialog>
#include <string>
#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace umbrix {

class FrmSeek;

// "Check for malware shortcuts...": the suspects of the window's open
// folder, each with its reason and a check box, and a Quarantine button
// that moves the checked ones aside (the journal can put them back).
class SuspectsDialog : public QDialog {
    Q_OBJECT

public:
    SuspectsDialog(FrmSeek& window, std::string folder);

    // Looks through the folder, yielding and showing progress as the
    // window's long commands do; false when the dialog was closed meanwhile.
    bool search();
    // Moves the checked suspects into the quarantine; the rows of those
    // moved go, a message box names those that could not be moved.  The
    // number moved.
    int quarantineChecked();

    QTreeWidget* list() const { return list_; }
    QPushButton* quarantineButton() const { return quarantine_; }
    QLabel* status() const { return status_; }

    // Closing while a search or a move runs stops it first.
    void reject() override;

private:
    bool visit(const std::string& folder);
    void fill();
    void updateButton();
    void tellFailures(const std::string& intro,
                      const std::vector<suspects::SuspectFailure>& failures);

    FrmSeek& window_;
    std::string folder_;
    QLabel* status_;
    QTreeWidget* list_;
    QPushButton* quarantine_;
    YieldPacer pacer_;
    bool searching_ = false;
    bool stopped_ = false;
    std::vector<suspects::Suspect> found_;
};

// The window menu's command: the dialog over the open folder, modal.
void CheckForMalwareShortcuts(FrmSeek& window);

} // namespace umbrix
