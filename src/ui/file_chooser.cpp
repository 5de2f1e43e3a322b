#include "ui/file_chooser.h"

#include <QFileDialog>

namespace ui {

std::optional<std::string> FileChooser::OpenFile(QWidget* parent, const std::string& start) {
    QString chosen = QFileDialog::getOpenFileName(parent, QString(), QString::fromStdString(start));
    if (chosen.isEmpty()) return std::nullopt;
    return chosen.toStdString();
}

std::optional<std::string> FileChooser::SaveFile(QWidget* parent, const std::string& start) {
    QString chosen = QFileDialog::getSaveFileName(parent, QString(), QString::fromStdString(start));
    if (chosen.isEmpty()) return std::nullopt;
    return chosen.toStdString();
}

}  // namespace ui
