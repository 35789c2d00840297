#pragma once
// The drive window's rows: in each a button, the volume label and the drive text, and the row's drive
// item of the pop-up menu. Row 0 is the hidden template whose design values new rows copy; it is never
// shown and never removed.
#include "drives/DriveRecord.h"
#include "port/MainView.h"

#include <memory>
#include <vector>

namespace ui {

class DriveRows {
  public:
    // Makes the template with the design values.
    explicit DriveRows(port::IMainView& view);

    // The highest row: 0 while only the template exists.
    int last() const { return static_cast<int>(m_rows.size()) - 1; }
    // Adds row last() + 1, its controls made in the order button, volume label, drive text, menu item:
    // copies of the template, hidden. Returns its number.
    int add();
    // Removes the highest row (never the template): menu item, volume label, drive text, then button.
    void removeLast();

    // The controls of row `row` (0 to last()).
    port::IButton& button(int row) { return *at(row).controls.button; }
    port::ILabel& volumeName(int row) { return *at(row).controls.volumeName; }
    port::ILabel& drive(int row) { return *at(row).controls.drive; }
    drives::MenuItem& menuItem(int row) { return *at(row).menu; }

  private:
    struct Row {
        port::RowControls controls;
        std::unique_ptr<drives::MenuItem> menu;
    };
    Row& at(int row) { return m_rows.at(static_cast<std::size_t>(row)); }

    port::IMainView& m_view;
    std::vector<Row> m_rows;
};

} // namespace ui
