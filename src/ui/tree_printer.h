// Printing the catalog as the tree view shows it: every visible row (the
// children of expanded folders), indented by depth with its image, over as
// many pages as it takes, with a heading and page numbers. A user who
// presses Ctrl+P expects the tree on paper, not a blank page.
#pragma once

class QPrinter;
class QTreeView;

namespace ui {

class TreePrinter {
public:
    explicit TreePrinter(const QTreeView& view) : view_(view) {}
    // Prints onto `printer`; returns the number of pages, 0 on failure.
    int Print(QPrinter& printer) const;

private:
    const QTreeView& view_;
};

}  // namespace ui
