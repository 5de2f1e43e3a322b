// The Transfer Log ("Transaction Log:"): one row per file skiff received,
// sortable by a header click, and the file actions on the selected row:
// Execute, Unzip, Open as Text, Open With (a program typed or found with
// Browse) and Download Again. Selecting a row makes the button of its
// recorded action the default and keeps Download Again off for a file that
// was bought. The log is read once, when the dialog opens.
#pragma once

#include <QDialog>
#include <map>
#include <vector>

#include "session/transfer_log.h"
#include "ui/file_chooser.h"

class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace ui {

class TransferLogDialog : public QDialog {
    Q_OBJECT
public:
    TransferLogDialog(const session::SkiffStarter& skiff, QWidget* parent = nullptr);
    ~TransferLogDialog() override;

    void SetChooser(FileChooser::Function chooser) { chooser_ = std::move(chooser); }

    QTreeWidget* List() const { return list_; }
    QPushButton* Button(session::TransferLog::Action action) const;
    QPushButton* BrowseButton() const { return browse_; }
    QLineEdit* OpenWithEdit() const { return openWith_; }
    // The records in the order of the rows.
    const std::vector<session::TransferLogRecord>& Records() const { return records_; }

    // Orders the rows as a click on the column's header does.
    void SortBy(int column);

private:
    void Fill();
    void Selected();
    void Act(session::TransferLog::Action action);
    int CurrentRow() const;

    session::TransferLog log_;
    std::vector<session::TransferLogRecord> records_;
    FileChooser::Function chooser_ = FileChooser::OpenFile;
    int sortColumn_ = -1;
    QTreeWidget* list_;
    QLineEdit* openWith_;
    QPushButton* browse_;
    QPushButton* ok_;
    std::map<session::TransferLog::Action, QPushButton*> buttons_;
};

}  // namespace ui
