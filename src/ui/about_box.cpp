#include "ui/about_box.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "platform/launcher.h"
#include "platform/prompt.h"
#include "ui/tool_images.h"

namespace ui {

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Internet Ambit"));
    setObjectName(QStringLiteral("aboutBox"));

    auto* picture = new QLabel(this);
    picture->setPixmap(AboutPicture());
    picture->setAlignment(Qt::AlignTop);

    auto* version = new QLabel(QStringLiteral("Internet Ambit Version 1.1a"), this);
    QFont bold = version->font();
    bold.setBold(true);
    version->setFont(bold);
    // The stamp tells a user reporting a problem exactly which build they run.
    stamp_ = new QLabel(QStringLiteral(__DATE__ " - " __TIME__), this);
    stamp_->setObjectName(QStringLiteral("buildStamp"));
    auto* visit = new QLabel(QStringLiteral("Visit our World Wide Web home page:"), this);
    web_ = new QPushButton(QString::fromUtf8(kWebAddress), this);
    web_->setObjectName(QStringLiteral("webAddress"));
    web_->setAutoDefault(false);
    connect(web_, &QPushButton::clicked, this, &AboutBox::OpenWebAddress);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(16);
    grid->addWidget(picture, 0, 0, 4, 1);
    grid->addWidget(version, 0, 1);
    grid->addWidget(stamp_, 1, 1);
    grid->addWidget(visit, 2, 1);
    grid->addWidget(web_, 3, 1, Qt::AlignLeft);
    grid->addWidget(buttons, 4, 0, 1, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);
}

void AboutBox::OpenWebAddress() {
    std::string error;
    if (!platform::CurrentLauncher().Start({"xdg-open", kWebAddress}, &error)) {
        platform::CurrentPrompt().Warning(
            "Could not open " + std::string(kWebAddress) +
            " in your web browser: " + platform::StartFailureText({"xdg-open"}, error) +
            "\nOpen the address in your browser yourself.");
    }
}

}  // namespace ui
