// Transfer windows opened together step down and right instead of covering
// each other, and never leave the screen.
#include <gtest/gtest.h>

#include "transfer/transfer_dialog.h"

namespace {

TEST(Cascade, StepsAndWrapsWithinTheScreen) {
    const QRect screen(0, 0, 1280, 800);
    const QSize window(420, 200);
    const QPoint first = transfer::TransferDialog::CascadePosition(screen, window, 0);
    EXPECT_LE((QRect(first, window).center() - screen.center()).manhattanLength(), 2) << "centred";
    QPoint previous = first;
    bool wrapped = false;
    for (int others = 1; others < 40; ++others) {
        const QPoint p = transfer::TransferDialog::CascadePosition(screen, window, others);
        SCOPED_TRACE(others);
        EXPECT_TRUE(screen.contains(QRect(p, window))) << p.x() << "," << p.y();
        if (p == first)
            wrapped = true;
        else
            EXPECT_NE(p, previous);
        previous = p;
    }
    EXPECT_TRUE(wrapped);
    // A window as big as the screen has nowhere to step to.
    EXPECT_EQ(transfer::TransferDialog::CascadePosition(screen, screen.size(), 5), QPoint(0, 0));
}

}  // namespace
