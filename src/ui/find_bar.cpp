// The field, its check box and the keys of the field.
#include "ui/find_bar.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>

namespace ui {

FindBar::FindBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("findBar"));
    field_ = new QLineEdit(this);
    field_->setObjectName(QStringLiteral("findField"));
    field_->setClearButtonEnabled(true);
    field_->setPlaceholderText(QStringLiteral("Find by name or description (Ctrl+F)"));
    field_->installEventFilter(this);
    unloaded_ = new QCheckBox(QStringLiteral("Also in folders not loaded"), this);
    unloaded_->setObjectName(QStringLiteral("findUnloaded"));
    unloaded_->setToolTip(
        QStringLiteral("Also search the files of folders not opened yet, without opening them."));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(field_, 1);
    layout->addWidget(unloaded_);
    connect(field_, &QLineEdit::textChanged, this,
            [this](const QString& text) { emit Changed(text, SearchesUnloaded()); });
    connect(unloaded_, &QCheckBox::toggled, this, [this](bool on) { emit Changed(Text(), on); });
}

QString FindBar::Text() const { return field_->text(); }
bool FindBar::SearchesUnloaded() const { return unloaded_->isChecked(); }

void FindBar::SetSearchesUnloaded(bool on) {
    const QSignalBlocker quiet(unloaded_);
    unloaded_->setChecked(on);
}

void FindBar::Start() {
    field_->setFocus(Qt::ShortcutFocusReason);
    field_->selectAll();
}

bool FindBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == field_ && event->type() == QEvent::FocusIn) emit Started();
    if (watched == field_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            field_->clear();
            emit Done();
            return true;
        }
        // Enter and Down go on into the tree with what was found.
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
            key->key() == Qt::Key_Down) {
            emit Done();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace ui
