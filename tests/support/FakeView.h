#pragma once
// Fakes of the drive window's controls and of the icon source.
#include "port/MainView.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace fakes {

struct Picture : port::IPicture {
    explicit Picture(std::string what) : what(std::move(what)) {}
    std::string what; // how it was made, for the tests to check
};

class Icons : public port::IIcons {
  public:
    std::vector<std::string> calls;
    bool fail = false;
    std::unique_ptr<port::IPicture> ExtractIconPicture(const std::string& file, int index,
                                                       bool small) override {
        calls.push_back("extract " + file + "," + std::to_string(index) + (small ? " small" : " large"));
        return fail ? nullptr : std::make_unique<Picture>(calls.back());
    }
    std::unique_ptr<port::IPicture> LoadIconFile(const std::string& file) override {
        calls.push_back("ico " + file);
        return fail ? nullptr : std::make_unique<Picture>(calls.back());
    }
    std::unique_ptr<port::IPicture> WindowIcon() override {
        calls.push_back("window");
        return std::make_unique<Picture>("window");
    }
};

class Control {
  public:
    int index = 0;
    double top = 0, left = 0, width = 0, height = 0;
    bool visible = false;
};

class Button : public port::IButton, public Control {
  public:
    std::unique_ptr<port::IPicture> picture;
    bool enabled = true;
    int Index() override { return index; }
    double Top() override { return top; }
    double Left() override { return left; }
    double Width() override { return width; }
    double Height() override { return height; }
    void setTop(double v) override { top = v; }
    void setLeft(double v) override { left = v; }
    void setWidth(double v) override { width = v; }
    bool Visible() override { return visible; }
    void setVisible(bool v) override { visible = v; }
    void setPicture(std::unique_ptr<port::IPicture> p) override { picture = std::move(p); }
    bool hasPicture() override { return picture != nullptr; }
    bool Enabled() override { return enabled; }
    void setEnabled(bool v) override { enabled = v; }
    std::string pictureText() const {
        auto* p = dynamic_cast<Picture*>(picture.get());
        return p ? p->what : "";
    }
};

class Label : public port::ILabel, public Control {
  public:
    std::string caption;
    int Index() override { return index; }
    double Top() override { return top; }
    double Left() override { return left; }
    double Width() override { return width; }
    double Height() override { return height; }
    void setTop(double v) override { top = v; }
    void setLeft(double v) override { left = v; }
    void setWidth(double v) override { width = v; }
    bool Visible() override { return visible; }
    void setVisible(bool v) override { visible = v; }
    std::string Caption() override { return caption; }
    void setCaption(const std::string& v) override { caption = v; }
};

class MenuItem : public port::IMenuItem {
  public:
    std::string caption = "-";
    bool visible = true;
    std::string Caption() override { return caption; }
    void setCaption(const std::string& v) override { caption = v; }
    bool Visible() override { return visible; }
    void setVisible(bool v) override { visible = v; }
};

// A text is 100 twips a byte wide, so widths are easy to predict.
inline double textWidth(const std::string& text) {
    return 100.0 * static_cast<double>(text.size());
}

} // namespace fakes

namespace fakes {

// The drive window with a frame of fixed size around its client area.
class MainView : public port::IMainView {
  public:
    static constexpr double kFrameWidth = 90, kFrameHeight = 330;
    struct Row {
        Button button;
        Label volume, drive;
        MenuItem menu;
    };
    std::vector<std::unique_ptr<Row>> rows;
    double top = 1000, left = 1000, width = 2235 + kFrameWidth, height = 720 + kFrameHeight;
    double screenWidth = 15360, screenHeight = 11520;
    std::string caption = "Tavimoro";
    bool visible = false;
    int refreshInterval = 1000;
    bool refreshEnabled = true, endEnabled = false, closed = false;
    std::vector<std::string> unloadOrder;

    MainView() {
        auto row = std::make_unique<Row>();
        row->button.width = row->button.height = 735;
        row->volume = makeLabel(0);
        row->drive = makeLabel(240);
        rows.push_back(std::move(row));
    }
    static Label makeLabel(double top) {
        Label l;
        l.left = 960;
        l.top = top;
        l.width = 1215;
        l.height = 255;
        return l;
    }

    int rowCount() override { return static_cast<int>(rows.size()) - 1; }
    void loadRow(int n) override {
        if (n != static_cast<int>(rows.size()))
            throw std::logic_error("rows must be loaded in order");
        auto row = std::make_unique<Row>();
        row->button = Button();
        row->button.width = rows[0]->button.width;
        row->button.height = rows[0]->button.height;
        row->volume = makeLabel(0);
        row->drive = makeLabel(240);
        row->button.index = row->volume.index = row->drive.index = n;
        rows.push_back(std::move(row));
    }
    void unloadRow(int n) override {
        if (n != rowCount() || n < 1)
            throw std::logic_error("only the last row can be unloaded");
        unloadOrder.push_back(std::to_string(n));
        rows.pop_back();
    }
    port::IButton& cmd_CD(int i) override { return rows.at(static_cast<std::size_t>(i))->button; }
    port::ILabel& lbl_VolumeName(int i) override { return rows.at(static_cast<std::size_t>(i))->volume; }
    port::ILabel& lbl_Drive(int i) override { return rows.at(static_cast<std::size_t>(i))->drive; }
    port::IMenuItem& Menu_Drive(int i) override { return rows.at(static_cast<std::size_t>(i))->menu; }
    Row& row(int i) { return *rows.at(static_cast<std::size_t>(i)); }

    double Top() override { return top; }
    double Left() override { return left; }
    double Width() override { return width; }
    double Height() override { return height; }
    double ScaleWidth() override { return width - kFrameWidth; }
    double ScaleHeight() override { return height - kFrameHeight; }
    void setTop(double v) override { top = v; }
    void setLeft(double v) override { left = v; }
    void setWidth(double v) override { width = v; }
    void setHeight(double v) override { height = v; }
    double ScreenWidth() override { return screenWidth; }
    double ScreenHeight() override { return screenHeight; }
    std::string Caption() override { return caption; }
    void setCaption(const std::string& v) override { caption = v; }
    bool Visible() override { return visible; }
    void setVisible(bool v) override { visible = v; }
    double TextWidth(const std::string& text) override { return textWidth(text); }
    void setRefreshInterval(int ms) override { refreshInterval = ms; }
    void setRefreshEnabled(bool v) override { refreshEnabled = v; }
    void setEndEnabled(bool v) override { endEnabled = v; }
    void close() override { closed = true; }
};

} // namespace fakes
