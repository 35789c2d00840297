#pragma once
// The main window's presenter over fake platform services, started the way start-up starts it.
#include "program/Program.h"
#include "support/FakeView.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

class MainWindowTest : public ::testing::Test {
  protected:
    fakes::Platform p;
    program::Program program{p.services};
    fakes::Window w;
    fakes::MainView& view = w.view;
    std::unique_ptr<ui::MainWindow> form;
    const std::string ini = "C:\\Apps\\tavimoro.ini";

    void SetUp() override {
        p.fs.addFolder("C:\\Apps");
        p.process.commandLine_ = "";
    }
    // Start-up, then the window loaded (not shown: the tests show it where they need it).
    void start(const std::string& settings = "") {
        if (!settings.empty())
            p.fs.files[ini] = settings;
        const program::StartOutcome outcome = program.start();
        ASSERT_NE(outcome, program::StartOutcome::Ended);
        form.reset();
        form = program.openWindow(w.services, outcome);
        view.shown = false;
        view.minimized = false;
    }
    // A disc in drive `letter`: its label, and an AUTORUN.INF with `open` when that is not empty.
    void disc(char letter, const std::string& label, const std::string& open) {
        const std::string root = std::string(1, letter) + ":\\";
        p.drives.discs[letter] = {label, root};
        p.fs.addFolder(root);
        p.fs.files.erase(root + "AUTORUN.INF");
        if (!open.empty())
            p.fs.addFile(root + "AUTORUN.INF", "[AutoRun]\r\nopen=" + open + "\r\n");
    }
    // A key pressed on the window: a letter A to Z, else another key.
    void press(char letter) {
        form->keyPressed(
            {letter >= 'A' && letter <= 'Z' ? port::Key::Kind::Letter : port::Key::Kind::Other, letter});
    }
    std::string setting(const std::string& section, const std::string& key) {
        app::IniFile reader(p.fs, p.codec);
        reader.setFile(ini);
        return reader.read(key, "<none>", section);
    }
};
