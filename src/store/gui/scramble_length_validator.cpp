#include "store/gui/scramble_length_validator.h"

#include <QLineEdit>

#include "store/scramble.h"

namespace store::gui {

ScrambleLengthValidator::ScrambleLengthValidator(std::size_t maxBytes, QObject* parent)
    : QValidator(parent), maxBytes_(maxBytes) {}

QValidator::State ScrambleLengthValidator::validate(QString& input, int&) const {
    return static_cast<std::size_t>(input.toUtf8().size()) <= maxBytes_ ? Acceptable : Invalid;
}

void LimitForScrambling(QLineEdit* field, std::size_t maxBytes) {
    if (maxBytes == 0) maxBytes = kMaxScrambleText;
    field->setMaxLength(static_cast<int>(maxBytes));
    field->setValidator(new ScrambleLengthValidator(maxBytes, field));
}

}  // namespace store::gui
