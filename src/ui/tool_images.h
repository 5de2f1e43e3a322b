// The program's pictures: toolbar buttons, the five tree images, the window
// icon, the splash picture and the About box's picture. They are drawn with
// QPainter in a 16-unit grid at start, so they stay sharp at any scale and
// the program ships no image files.
#pragma once

#include <QIcon>
#include <QPixmap>

#include "catalog/c_entry.h"

namespace ui {

enum class ToolImage;

QIcon ToolIcon(ToolImage image);
// The picture of a catalog::TreeImage index; an empty icon for others.
QIcon TreeIcon(int index);
// The picture of an entry kind that has one of its own (FTP site, site
// directory, map file) in its closed or open state; an empty icon for
// other kinds. It replaces the folder pictures only, never the map
// server's globe or the busy hourglass.
QIcon KindIcon(catalog::EntryKind kind, bool open);
// The item picture of an item with a price, recognisable beside free ones.
QIcon PricedItemIcon();
QIcon AppIcon();

// The splash screen's picture (title, version line, a globe of sites).
QPixmap SplashPicture();
// The About box's picture, a smaller globe.
QPixmap AboutPicture();

}  // namespace ui
