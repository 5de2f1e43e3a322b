#include "ui/dialog_fields.h"

#include <QFormLayout>
#include <QLineEdit>

#include "platform/prompt.h"

namespace ui {

QLineEdit* AddLineField(QFormLayout* form, const QString& label, const char* objectName,
                        const std::string& text) {
    auto* edit = new QLineEdit(QString::fromStdString(text), form->parentWidget());
    edit->setObjectName(QString::fromLatin1(objectName));
    edit->setMinimumWidth(260);
    form->addRow(label, edit);
    return edit;
}

std::string FieldText(const QLineEdit* field) { return field->text().toStdString(); }

bool CheckPassed(const std::string& message, QWidget* field) {
    if (message.empty()) return true;
    platform::CurrentPrompt().Message(message);
    if (field) {
        field->setFocus();
        if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
    }
    return false;
}

}  // namespace ui
