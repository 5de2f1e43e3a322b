// The Options dialog's round trip through the registry file: OK writes
// every setting under its key, Cancel nothing; the address field's bound
// and the download folder's chooser.
#include "ui/options_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "session/catalog_session.h"
#include "session/settings_store.h"
#include "store/registry_number.h"
#include "store/registry_string.h"
#include "store/scramble.h"
#include "ui_test_env.h"

namespace {

class Options : public ::testing::Test {
protected:
    uitest::UiTestEnv env;
    session::CatalogSession session{env.DataDir()};
};

TEST_F(Options, OkWritesEverySettingAndCancelNothing) {
    session::SettingsStore::SelectApplicationKey();
    ui::OptionsDialog dialog(session.Settings());
    dialog.EmailEdit()->setText(QStringLiteral("me@example.org"));
    dialog.DownloadDirEdit()->setText(QStringLiteral("/srv/downloads"));
    dialog.DeleteConfirmationBox()->setChecked(false);
    dialog.LastItemBox()->setChecked(false);
    dialog.ServerAddressEdit()->setText(QStringLiteral("maps.example.org"));
    dialog.ServerPathEdit()->setText(QStringLiteral("/catalog/first.amb"));
    dialog.accept();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_TRUE(session.ApplySettings(dialog.Result()));

    platform::RegistryDb::CloseShared();
    for (const auto& [key, value] : {std::pair{"email", "me@example.org"},
                                     {"download dir", "/srv/downloads"},
                                     {"server address", "maps.example.org"},
                                     {"server path", "/catalog/first.amb"}})
        EXPECT_EQ(store::RegistryString(key).Get(), value) << key;
    EXPECT_EQ(store::RegistryNumber("delete confirmation").Get(), 0u);
    EXPECT_EQ(store::RegistryNumber("last item").Get(), 0u);

    ui::OptionsDialog again(session.Settings());
    EXPECT_FALSE(again.DeleteConfirmationBox()->isChecked())
        << "a real address keeps the stored choice";
    again.EmailEdit()->setText(QStringLiteral("other@example.org"));
    again.reject();
    EXPECT_EQ(session.Settings().email, "me@example.org");
}

// The address travels scrambled to skiff: the field takes no more than
// can be scrambled.
TEST_F(Options, TheAddressFieldTakesNoMoreThanCanBeScrambled) {
    ui::OptionsDialog dialog(session.Settings());
    dialog.EmailEdit()->clear();
    QTest::keyClicks(dialog.EmailEdit(), QString(300, QLatin1Char('b')));
    EXPECT_EQ(dialog.EmailEdit()->text().size(), static_cast<int>(store::kMaxScrambleText));
}

// Browse starts at the nearest folder that exists (the default one is only
// made by the first download) and puts the chosen folder in the field.
TEST_F(Options, BrowseStartsAtAnExistingFolderAndFillsTheField) {
    ui::OptionsDialog dialog(session.Settings());
    const QString base = QString::fromStdString(env.dir.Path());
    QDir(base).mkpath(QStringLiteral("chosen"));
    dialog.DownloadDirEdit()->setText(base + QStringLiteral("/not/yet/there"));
    dialog.BrowseButton()->click();
    QFileDialog* chooser = dialog.FolderChooser();
    ASSERT_NE(chooser, nullptr);
    EXPECT_EQ(chooser->directory().absolutePath(), QDir(base).absolutePath());
    dialog.BrowseButton()->click();
    EXPECT_EQ(dialog.FolderChooser(), chooser) << "one chooser at a time";
    chooser->selectFile(base + QStringLiteral("/chosen"));
    QMetaObject::invokeMethod(chooser, "accept", Qt::DirectConnection);
    EXPECT_EQ(dialog.DownloadDirEdit()->text(), base + QStringLiteral("/chosen"));
}

}  // namespace
