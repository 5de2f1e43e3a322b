#include "ui/transfer_log_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/command_words.h"
#include "session/transfer_log_layout.h"

namespace ui {
namespace {

using session::TransferLog;

struct ColumnDef {
    const char* title;
    int width;
};
constexpr ColumnDef kColumns[TransferLog::kColumnCount] = {
    {"Name", 75},   {"Date", 67},    {"Size", 70},  {"Price", 45},
    {"Action", 50}, {"Address", 80}, {"Path", 103},
};

}  // namespace

TransferLogDialog::TransferLogDialog(const session::SkiffStarter& skiff, QWidget* parent)
    : QDialog(parent), log_(skiff) {
    setObjectName(QStringLiteral("transferLogDialog"));
    setWindowTitle(QStringLiteral("Transaction Log:"));

    list_ = new QTreeWidget(this);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setColumnCount(TransferLog::kColumnCount);
    QStringList titles;
    for (const ColumnDef& c : kColumns) titles << QString::fromUtf8(c.title);
    list_->setHeaderLabels(titles);
    list_->header()->setSectionsClickable(true);
    list_->header()->setDefaultAlignment(Qt::AlignLeft);
    list_->header()->setStretchLastSection(false);
    session::TransferLogLayout layout = session::TransferLogLayout::Load();
    for (int i = 0; i < TransferLog::kColumnCount; ++i) {
        const int stored = i < static_cast<int>(layout.widths.size()) ? layout.widths[i] : 0;
        list_->setColumnWidth(i, stored > 0 ? stored : kColumns[i].width);
    }

    auto button = [this](TransferLog::Action action, const char* text) {
        auto* b = new QPushButton(QString::fromUtf8(text), this);
        b->setAutoDefault(false);
        buttons_[action] = b;
        connect(b, &QPushButton::clicked, this, [this, action] { Act(action); });
        return b;
    };
    openWith_ = new QLineEdit(this);
    browse_ = new QPushButton(QStringLiteral("&Browse"), this);
    browse_->setAutoDefault(false);
    auto* actions = new QGridLayout;
    actions->addWidget(button(TransferLog::kUnzip, "&Unzip"), 0, 0);
    actions->addWidget(button(TransferLog::kExecute, "&Execute"), 0, 1);
    actions->addWidget(button(TransferLog::kOpenAsText, "Open as &Text"), 0, 2);
    actions->addWidget(button(TransferLog::kDownloadAgain, "&Download Again"), 0, 3);
    actions->addWidget(button(TransferLog::kOpenWith, "&Open With:"), 1, 0);
    actions->addWidget(openWith_, 1, 1, 1, 2);
    actions->addWidget(browse_, 1, 3);

    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = box->button(QDialogButtonBox::Ok);
    ok_->setAutoDefault(false);
    box->button(QDialogButtonBox::Cancel)->setAutoDefault(false);

    auto* main = new QVBoxLayout(this);
    main->addWidget(list_, 1);
    main->addLayout(actions);
    main->addWidget(box);
    resize(620, 360);

    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_->header(), &QHeaderView::sectionClicked, this, &TransferLogDialog::SortBy);
    connect(list_, &QTreeWidget::currentItemChanged, this, &TransferLogDialog::Selected);
    connect(browse_, &QPushButton::clicked, this, [this] {
        std::optional<std::string> chosen = chooser_(this, openWith_->text().toStdString());
        // Quoted when it has blanks, since the text is split into words.
        if (chosen)
            openWith_->setText(QString::fromStdString(platform::JoinCommandWords({*chosen})));
    });

    std::string error;
    records_ = TransferLog::Read(TransferLog::Path(), &error);
    if (layout.sortColumn >= 0)
        SortBy(layout.sortColumn);
    else
        Fill();
}

TransferLogDialog::~TransferLogDialog() {
    session::TransferLogLayout layout;
    for (int i = 0; i < TransferLog::kColumnCount; ++i)
        layout.widths.push_back(list_->columnWidth(i));
    layout.sortColumn = sortColumn_;
    layout.Save();
}

QPushButton* TransferLogDialog::Button(TransferLog::Action action) const {
    if (action == TransferLog::kNoAction) return ok_;
    auto it = buttons_.find(action);
    return it == buttons_.end() ? nullptr : it->second;
}

void TransferLogDialog::Fill() {
    list_->clear();
    for (const session::TransferLogRecord& r : records_) {
        QStringList texts;
        for (int c = 0; c < TransferLog::kColumnCount; ++c)
            texts << QString::fromStdString(TransferLog::ColumnText(r, c));
        auto* row = new QTreeWidgetItem(list_, texts);
        for (int c = 0; c < TransferLog::kColumnCount; ++c) row->setTextAlignment(c, Qt::AlignLeft);
    }
}

void TransferLogDialog::SortBy(int column) {
    sortColumn_ = column;
    TransferLog::Sort(records_, column);
    Fill();
}

int TransferLogDialog::CurrentRow() const {
    QTreeWidgetItem* item = list_->currentItem();
    return item ? list_->indexOfTopLevelItem(item) : -1;
}

void TransferLogDialog::Selected() {
    const int row = CurrentRow();
    if (row < 0) return;
    const session::TransferLogRecord& r = records_[row];
    buttons_[TransferLog::kDownloadAgain]->setEnabled(!r.Bought());
    openWith_->setText(r.action == "OpenW" ? QString::fromStdString(r.openWith) : QString());
    QPushButton* def = Button(TransferLog::DefaultAction(r));
    if (!def || (r.action != "None" && TransferLog::DefaultAction(r) == TransferLog::kNoAction))
        return;  // an action this program does not know changes nothing
    for (auto& [action, b] : buttons_) b->setDefault(b == def);
    ok_->setDefault(ok_ == def);
}

void TransferLogDialog::Act(TransferLog::Action action) {
    const int row = CurrentRow();
    if (row < 0) return;
    log_.Run(records_[row], action, openWith_->text().trimmed().toStdString());
    // The path may have been trimmed of blanks.
    list_->topLevelItem(row)->setText(TransferLog::kPath,
                                      QString::fromStdString(records_[row].localPath));
}

}  // namespace ui
