// Keeps a text field within what can be scrambled. Scrambling counts bytes
// of UTF-8, a line edit's length limit counts characters, so a field of
// accented or non-Latin text could pass the character limit and still be
// too long; this validator refuses any edit past the byte limit. Every
// field whose text is later scrambled (passwords, the e-mail address, card
// numbers) installs it with LimitForScrambling.
#pragma once

#include <QValidator>
#include <cstddef>

class QLineEdit;

namespace store::gui {

class ScrambleLengthValidator : public QValidator {
    Q_OBJECT
public:
    explicit ScrambleLengthValidator(std::size_t maxBytes, QObject* parent = nullptr);
    State validate(QString& input, int& pos) const override;
    std::size_t MaxBytes() const { return maxBytes_; }

private:
    std::size_t maxBytes_;
};

// Sets the field's length limit and installs the validator; maxBytes
// defaults to the longest text Scramble takes.
void LimitForScrambling(QLineEdit* field, std::size_t maxBytes = 0);

}  // namespace store::gui
