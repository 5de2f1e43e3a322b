// Editing the billing information from the Options dialog (and, later, from
// a purchase that finds none): a note about credit-card support when the
// catalog announces one, then either a first entry protected by a newly
// chosen password, or the stored information unlocked with its password,
// shown, and saved back under the same password.
#pragma once

#include <ctime>
#include <string>

class QWidget;

namespace ui {

class BillingEditor {
public:
    // The catalog's announcement of credit-card support: its text and date
    // ("" / 0 when the catalog announces nothing).
    struct CardSupportNote {
        std::string text;
        std::time_t date = 0;
    };

    BillingEditor(QWidget* parent, CardSupportNote note)
        : parent_(parent), note_(std::move(note)) {}

    // The whole edit. Registry failures are told to the user, never thrown.
    void Edit();
    // Erase Info: asks, then deletes; failures likewise told.
    void Erase();

private:
    void ShowNote() const;
    void EditNew();
    void EditExisting();

    QWidget* parent_;
    CardSupportNote note_;
};

}  // namespace ui
