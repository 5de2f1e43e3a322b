// The status bar's panes after the message pane: the caps, num and scroll
// lock indicators and the connection indicator ("FTP" when a live site's
// entry is selected, "MFTP" otherwise).
#pragma once

#include <QObject>
#include <QString>

#include "catalog/command_rules.h"

class QLabel;
class QStatusBar;

namespace ui {

class StatusPanes : public QObject {
    Q_OBJECT
public:
    explicit StatusPanes(QStatusBar* bar);

    // Shows "MFTP" for a catalog item, "FTP" for anything of a site or map file.
    void SetSelectedKind(catalog::SelectionKind kind);
    QString ConnectionText() const;

    // Reads the lock keys' state again and updates their panes.
    void RefreshLocks();

    // Lock state as the kernel's keyboard LEDs report it (any keyboard);
    // false where there are none to read (a remote or headless display).
    static bool LockLedOn(const char* ledSuffix);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* AddPane(QStatusBar* bar, const QString& widest, const char* name);

    QLabel* caps_;
    QLabel* num_;
    QLabel* scroll_;
    QLabel* connection_;
};

}  // namespace ui
