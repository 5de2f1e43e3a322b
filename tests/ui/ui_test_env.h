// What every test of the main window needs: the session's environment
// (see session_test_env.h), bounded waits for a modal dialog to appear, so
// a test can answer it, and a fixture holding the real window.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "catalog/catalog.h"
#include "catalog_finder.h"
#include "ftp_server.h"
#include "session_test_env.h"
#include "ui/catalog_model.h"
#include "ui/client_view.h"
#include "ui/command_table.h"
#include "ui/main_frame.h"

namespace uitest {

using UiTestEnv = sessiontest::SessionTestEnv;

// Runs `act` on the first modal widget (dialog or popup menu) that appears
// while the caller's code runs; gives up after timeoutMs. Returns a flag
// that tells whether it ran.
inline std::shared_ptr<bool> WhenModal(std::function<void(QWidget*)> act, int timeoutMs = 10000) {
    auto ran = std::make_shared<bool>(false);
    auto* timer = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, [timer, act, ran, clock, timeoutMs] {
        QWidget* w = QApplication::activePopupWidget();
        if (!w) w = QApplication::activeModalWidget();
        if (w && w->isVisible()) {
            timer->stop();
            timer->deleteLater();
            *ran = true;
            // Not inside the timer's own signal: `act` may run nested event
            // loops (a listing), in which the timer is deleted.
            QPointer<QWidget> target(w);
            QMetaObject::invokeMethod(
                qApp,
                [act, target] {
                    if (target) act(target);
                },
                Qt::QueuedConnection);
        } else if (clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(5);
    return ran;
}

// Runs `act` once, as soon as `busy` holds, from a timer polling every 10 ms
// while the caller's code runs; gives up after ten seconds. The returned flag
// tells whether it ran; the timer ends with the returned guard.
inline std::pair<std::shared_ptr<bool>, std::unique_ptr<QTimer>> WhenBusy(
    std::function<bool()> busy, std::function<void()> act) {
    auto ran = std::make_shared<bool>(false);
    auto poll = std::make_unique<QTimer>();
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QTimer* timer = poll.get();
    QObject::connect(timer, &QTimer::timeout, [=] {
        if (!*ran && busy()) {
            *ran = true;
            act();
        } else if (clock->elapsed() > 10000) {
            timer->stop();
        }
    });
    timer->start(10);
    return {ran, std::move(poll)};
}

// Answers the modal dialogs that appear one after the other, each with its
// step; returns how many steps ran. Each step is armed before the previous
// dialog closes.
inline std::shared_ptr<int> WhenModals(std::vector<std::function<void(QWidget*)>> steps) {
    auto ran = std::make_shared<int>(0);
    auto next = std::make_shared<std::function<void(size_t)>>();
    // The step in flight holds the chain; the chain itself holds it weakly,
    // or the two would keep each other alive after the last dialog.
    std::weak_ptr<std::function<void(size_t)>> chain = next;
    *next = [steps, ran, chain](size_t i) {
        if (i >= steps.size()) return;
        WhenModal([steps, ran, self = chain.lock(), i](QWidget* w) {
            ++*ran;
            (*self)(i + 1);
            steps[i](w);
        });
    };
    (*next)(0);
    return ran;
}

// A file read whole; "" when it is missing.
inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The demo catalog (its first data file as ambit.amb and every folder's
// contents file) in `dataDir`.
inline void CopyDemoCatalog(const std::string& dataDir) {
    const std::string demo = std::string(AMBIT_SOURCE_DIR) + "/demo/map/pub/Ambit/";
    std::filesystem::copy_file(demo + "first.amb", dataDir + "/ambit.amb",
                               std::filesystem::copy_options::overwrite_existing);
    for (const char* f : {"Games.amb", "Utilitie.amb", "Document.amb", "Compress.amb"})
        std::filesystem::copy_file(demo + f, dataDir + "/" + f,
                                   std::filesystem::copy_options::overwrite_existing);
}

// How the program logs in to the map server and catalog items: as "ftp"
// with the user's e-mail address as password.
inline testsupport::FtpServer::Options FtpUserLogin(const std::string& email) {
    testsupport::FtpServer::Options o;
    o.user = "ftp";
    o.password = email;
    o.anonymous = false;
    return o;
}

// The real main window over the test's environment, its item model checked
// by QAbstractItemModelTester in fatal mode throughout.
class WindowTest : public ::testing::Test {
protected:
    // Opens a window (after closing the one open); `active` waits until it
    // is active, as window shortcuts (Enter, Ctrl+O) need.
    void StartWindow(bool active = false) {
        tester.reset();
        frame.reset();
        frame = std::make_unique<ui::CMainFrame>(ui::FrameOptions{env.DataDir(), 0});
        tester = std::make_unique<QAbstractItemModelTester>(
            frame->View()->Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        frame->resize(760, 520);
        frame->show();
        if (active) {
            frame->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(frame.get(), 5000));
        }
        frame->View()->InitialUpdate();
    }
    // The window goes before the servers and files a fixture adds.
    void TearDown() override {
        tester.reset();
        frame.reset();
    }

    ui::CClientView* View() { return frame->View(); }
    catalog::Catalog& Cat() { return View()->Catalog(); }
    catalog::CatalogTree& Tree() { return Cat().Tree(); }
    catalog::TreeItem* Item(const std::string& path) { return FindPath(Tree(), path); }
    QAction* Action(int id) { return frame->Commands().Action(id); }
    void Select(const std::string& path) {
        catalog::TreeItem* item = Item(path);
        ASSERT_NE(item, nullptr) << path;
        View()->SelectItem(item);
    }
    // Runs command `id`, which the selection must allow.
    void Run(int id) {
        frame->UpdateCommands();
        ASSERT_TRUE(Action(id)->isEnabled()) << id;
        Action(id)->trigger();
    }
    // Runs command `id` and hands the dialog of type D it shows to `answer`;
    // false (and a failure) when no such dialog came.
    template <class D>
    bool RunDialog(int id, std::function<void(D*)> answer) {
        auto shown = std::make_shared<bool>(false);
        auto ran = WhenModal([answer, shown](QWidget* w) {
            auto* dialog = qobject_cast<D*>(w);
            *shown = dialog != nullptr;
            if (dialog)
                answer(dialog);
            else
                w->close();
        });
        Run(id);
        EXPECT_TRUE(*ran && *shown) << "no dialog of its kind for " << id;
        return *ran && *shown;
    }
    // Saves a picture of `w` when AMBIT_SCREENSHOT_DIR names a directory.
    static void Shot(QWidget* w, const char* name) {
        const char* dir = std::getenv("AMBIT_SCREENSHOT_DIR");
        if (dir && *dir) {
            EXPECT_TRUE(w->grab().save(QString::fromUtf8(dir) + "/" + name));
        }
    }

    UiTestEnv env;
    std::unique_ptr<ui::CMainFrame> frame;
    std::unique_ptr<QAbstractItemModelTester> tester;
};

}  // namespace uitest
