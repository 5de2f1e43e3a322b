// The program's pictures: toolbar buttons, the five tree images, the window
// icon, the splash picture and the About box's picture. They are drawn with
// QPainter in a 16-unit grid at start, so they stay sharp at any scale and
// the program ships no image files.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace ui {

enum class ToolImage;

QIcon ToolIcon(ToolImage image);
// The picture of a catalog::TreeImage index; an empty icon for others.
QIcon TreeIcon(int index);
QIcon AppIcon();

// The splash screen's picture (title, version line, a globe of sites).
QPixmap SplashPicture();
// The About box's picture, a smaller globe.
QPixmap AboutPicture();

}  // namespace ui
