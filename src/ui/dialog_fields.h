// Small pieces every item dialog repeats: a labelled line edit with an
// object name tests can find it by, and turning a failed check into the
// message plus the focus on the field to correct, with the dialog kept open.
#pragma once

#include <QString>
#include <string>

class QFormLayout;
class QLineEdit;
class QWidget;

namespace ui {

QLineEdit* AddLineField(QFormLayout* form, const QString& label, const char* objectName,
                        const std::string& text);

// The field's text as the catalog stores it.
std::string FieldText(const QLineEdit* field);

// Shows `message` and puts the cursor in `field` when the message is not
// empty. Returns whether the check passed (the message was empty).
bool CheckPassed(const std::string& message, QWidget* field);

}  // namespace ui
