#pragma once
// The drive window's control arrays: cmd_CD, lbl_VolumeName, lbl_Drive and Menu_Drive, one element a
// row. Element 0 of each is the hidden template whose design values new elements copy; it is never
// shown and never unloaded.
#include "port/MainView.h"

#include <memory>
#include <string>
#include <vector>

namespace app {

// A drive item of the pop-up menu: data, which the menu is drawn from each time it opens.
class MenuItem : public port::IMenuItem {
  public:
    std::string Caption() override { return m_caption; }
    void setCaption(const std::string& text) override { m_caption = text; }
    bool Visible() override { return m_visible; }
    void setVisible(bool visible) override { m_visible = visible; }

  private:
    std::string m_caption = "-";
    bool m_visible = false;
};

class ControlArrays {
  public:
    // Loads the templates with the design values.
    explicit ControlArrays(port::IMainView& view);

    // The highest index of the button array: 0 while only the template exists.
    int UBound() const { return static_cast<int>(m_rows.size()) - 1; }
    // Loads element UBound() + 1 of each array, in the order cmd_CD, lbl_VolumeName, lbl_Drive,
    // Menu_Drive: copies of the template, hidden. Returns its index.
    int Load();
    // Unloads the highest element of each array (never the template), in the order Menu_Drive,
    // lbl_VolumeName, lbl_Drive, cmd_CD.
    void UnloadLast();

    // Element `index` (0 to UBound()).
    port::IButton& cmd_CD(int index) { return *row(index).controls.button; }
    port::ILabel& lbl_VolumeName(int index) { return *row(index).controls.volumeName; }
    port::ILabel& lbl_Drive(int index) { return *row(index).controls.drive; }
    MenuItem& Menu_Drive(int index) { return *row(index).menu; }

  private:
    struct Row {
        port::RowControls controls;
        std::unique_ptr<MenuItem> menu;
    };
    Row& row(int index) { return m_rows.at(static_cast<std::size_t>(index)); }

    port::IMainView& m_view;
    std::vector<Row> m_rows;
};

} // namespace app
