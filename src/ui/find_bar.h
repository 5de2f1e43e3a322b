// The field above the main tree that narrows it to the items whose name or
// description holds the text typed, with the check box that also searches
// folders not loaded yet. It only gathers what the user asks for; the
// tree's finder does the searching. Escape in the field empties it and
// hands the keyboard back to the tree.
#pragma once

#include <QWidget>

class QCheckBox;
class QLineEdit;

namespace ui {

class FindBar : public QWidget {
    Q_OBJECT
public:
    explicit FindBar(QWidget* parent = nullptr);

    QLineEdit* Field() const { return field_; }
    QCheckBox* UnloadedBox() const { return unloaded_; }
    QString Text() const;
    bool SearchesUnloaded() const;
    void SetSearchesUnloaded(bool on);

    // Puts the keyboard in the field with its text selected (Ctrl+F).
    void Start();

signals:
    // The text or the option changed.
    void Changed(const QString& text, bool unloaded);
    // Escape: the field was emptied; the tree should take the keyboard.
    void Done();
    // The field got the keyboard: a search is likely to follow.
    void Started();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* field_;
    QCheckBox* unloaded_;
};

}  // namespace ui
