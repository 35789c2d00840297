#pragma once
// The main window's presenter over fake platform services, started the way start-up starts it.
#include "support/FakeView.h"
#include "support/Fakes.h"
#include "ui/frm_main.h"

#include <gtest/gtest.h>

class MainWindowTest : public ::testing::Test {
  protected:
    fakes::Platform p;
    app::Program program{p.services};
    fakes::Window w;
    fakes::MainView& view = w.view;
    std::unique_ptr<app::frm_main> form;
    const std::string ini = "C:\\Apps\\tavimoro.ini";

    void SetUp() override {
        p.fs.addFolder("C:\\Apps");
        p.process.commandLine_ = "";
        p.host.drives = {{2, "C"}, {4, "D"}, {4, "E"}};
    }
    void start(const std::string& settings = "") {
        if (!settings.empty())
            p.fs.files[ini] = settings;
        ASSERT_NE(app::code_main::SubMain(program), app::StartOutcome::Ended);
        form.reset();
        form = std::make_unique<app::frm_main>(program, w.services);
        form->Form_Load();
    }
    void disc(const std::string& drive, const std::string& label, const std::string& open) {
        p.volumes.labels[drive] = label;
        p.fs.files.erase(drive + "\\AUTORUN.INF");
        if (!open.empty())
            p.fs.addFile(drive + "\\AUTORUN.INF", "[AutoRun]\r\nopen=" + open + "\r\n");
    }
    std::string setting(const std::string& section, const std::string& key) {
        app::IniClass reader(p.fs, p.codec);
        reader.SetFile(ini);
        return reader.T_GetSetting(key, "<none>", section);
    }
};
