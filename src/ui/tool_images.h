// The program's pictures: toolbar buttons, the five tree images, the window
// icon, the splash picture and the About box's picture. They are drawn with
// QPainter in a 16-unit grid at start, so they stay sharp at any scale and
// the program ships no image files.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace ui {

enum class ToolImage;

// Indexes of the tree's images.
enum TreeImage {
    kClosedFolder = 0,
    kOpenFolder = 1,
    kItemImage = 2,
    kMapServerImage = 3,
    kBusyImage = 4
};

QIcon ToolIcon(ToolImage image);
QIcon TreeIcon(int index);
QIcon AppIcon();

// The splash screen's picture (title, version line, a globe of sites).
QPixmap SplashPicture();
// The About box's picture, a smaller globe.
QPixmap AboutPicture();

}  // namespace ui
