// main() for test programs that need a QApplication (widgets, event loop).
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstdlib>

namespace {

// A fault that leaves a menu or a modal dialog open parks the test in that
// widget's event loop until ctest kills the whole program. Every test runs
// in seconds, so whatever is still open after the deadline is recorded as
// the test's failure and closed, which ends the loop and lets the test end.
class ModalWatchdog : public ::testing::EmptyTestEventListener {
public:
    static constexpr int kDeadlineMs = 20000;

    ModalWatchdog() {
        timer_.setInterval(kDeadlineMs);
        QObject::connect(&timer_, &QTimer::timeout, [] {
            QWidget* w = QApplication::activePopupWidget();
            if (!w) w = QApplication::activeModalWidget();
            if (!w) return;
            ADD_FAILURE() << w->metaObject()->className() << " \"" << w->objectName().toStdString()
                          << "\" was still open after " << kDeadlineMs / 1000 << " s; closed it";
            w->close();
        });
    }
    void OnTestStart(const ::testing::TestInfo&) override { timer_.start(); }
    void OnTestEnd(const ::testing::TestInfo&) override { timer_.stop(); }

private:
    QTimer timer_;
};

}  // namespace

int main(int argc, char** argv) {
    // ctest lists the tests by running the program without the tests'
    // environment; without a display QApplication would abort.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    // On the heap: gtest deletes its listeners when a death test's child
    // calls exit(), and a stack object would be freed there.
    auto* watchdog = new ModalWatchdog;
    auto& listeners = ::testing::UnitTest::GetInstance()->listeners();
    listeners.Append(watchdog);
    int failed = RUN_ALL_TESTS();
    delete listeners.Release(watchdog);  // before the application it uses is gone
    return failed;
}
