// The Options dialog's round trip through the registry file: OK writes
// every setting, Cancel nothing.
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

TEST(Options, OkWritesEverySettingAndCancelNothing) {
    uitest::UiTestEnv env;
    session::CatalogSession session(env.DataDir());
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
    EXPECT_EQ(store::RegistryString("email").Get(), "me@example.org");
    EXPECT_EQ(store::RegistryString("download dir").Get(), "/srv/downloads");
    EXPECT_EQ(store::RegistryNumber("delete confirmation").Get(), 0u);
    EXPECT_EQ(store::RegistryNumber("last item").Get(), 0u);
    EXPECT_EQ(store::RegistryString("server address").Get(), "maps.example.org");
    EXPECT_EQ(store::RegistryString("server path").Get(), "/catalog/first.amb");
    EXPECT_EQ(session.Settings().serverPath, "/catalog/first.amb");

    ui::OptionsDialog again(session.Settings());
    EXPECT_FALSE(again.DeleteConfirmationBox()->isChecked())
        << "a real address keeps the stored choice";
    again.EmailEdit()->setText(QStringLiteral("other@example.org"));
    again.reject();
    EXPECT_EQ(session.Settings().email, "me@example.org");
}

// The address travels scrambled to skiff: the field takes no more than
// can be scrambled.
TEST(Options, TheAddressFieldTakesNoMoreThanCanBeScrambled) {
    uitest::UiTestEnv env;
    session::CatalogSession session(env.DataDir());
    ui::OptionsDialog dialog(session.Settings());
    EXPECT_EQ(dialog.EmailEdit()->maxLength(), static_cast<int>(store::kMaxScrambleText));
    dialog.EmailEdit()->clear();
    QTest::keyClicks(dialog.EmailEdit(), QString(300, QLatin1Char('b')));
    EXPECT_EQ(dialog.EmailEdit()->text().size(), static_cast<int>(store::kMaxScrambleText));
}

// Browse starts at the nearest folder that exists (the default one is only
// made by the first download) and puts the chosen folder in the field.
TEST(Options, BrowseStartsAtAnExistingFolderAndFillsTheField) {
    uitest::UiTestEnv env;
    session::CatalogSession session(env.DataDir());
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
