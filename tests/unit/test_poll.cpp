// What one poll of the drive window costs the platform, and discs seen between the timer's ticks.
#include "support/MainWindowFixture.h"

namespace {

TEST_F(MainWindowTest, APollReadsEachLabelOnceAndOpensFilesOnlyForChangedDrives) {
    struct Case {
        const char* what;
        const char* dLabel;
        const char* eLabel;
        int fileSystemObjects; // made by the poll
    };
    const Case cases[] = {
        {"nothing changed", "ONE", "TWO", 0},
        {"D: changed", "THREE", "TWO", 1},
        {"both changed", "ONE", "FOUR", 2},
        {"D: emptied", "", "FOUR", 1},
    };
    disc("D:", "ONE", "one.exe");
    disc("E:", "TWO", "two.exe");
    start("[CD]\r\nDrive_D=True\r\nDrive_E=True\r\n");
    for (const Case& c : cases) {
        // A swapped autorun disc is read at the second poll: settle each case first.
        disc("D:", c.dLabel, *c.dLabel ? "d.exe" : "");
        disc("E:", c.eLabel, "e.exe");
        p.volumes.asked.clear();
        p.host.fsoCreated = 0;
        const int polls = p.volumes.polls;
        form->tim_Refresh_Timer();
        EXPECT_EQ(p.volumes.asked, (std::vector<std::string>{"D:", "E:"})) << c.what;
        EXPECT_EQ(p.host.fsoCreated, c.fileSystemObjects) << c.what;
        EXPECT_EQ(p.volumes.polls, polls + 1) << c.what;
        EXPECT_EQ(p.volumes.askedOutsidePoll, 0) << c.what;
        EXPECT_EQ(p.volumes.depth, 0) << c.what << ": the poll was not closed";
        form->tim_Refresh_Timer();
    }
}

TEST_F(MainWindowTest, LoadingTheRowsIsOnePoll) {
    disc("D:", "ONE", "one.exe");
    start("[CD]\r\nDrive_D=True\r\nDrive_E=True\r\n");
    EXPECT_EQ(p.volumes.polls, 1);
    view.events->Form_KeyDown('F');
    EXPECT_EQ(p.volumes.polls, 2) << "the rebuilt rows read their drives in one poll";
    EXPECT_EQ(p.volumes.asked, (std::vector<std::string>{"D:", "E:", "D:", "E:", "F:"}));
    EXPECT_EQ(p.volumes.askedOutsidePoll, 0);
    EXPECT_EQ(p.volumes.depth, 0);
}

TEST_F(MainWindowTest, ADeviceEventRunsOnePollNowWhileTheTimerRuns) {
    struct Case {
        const char* what;
        const char* status;
        std::function<void(app::frm_main&)> before;
        bool polls;
    };
    const Case cases[] = {
        {"timer running", "RefreshTimer=5000\r\nChangeTimer=700", nullptr, true},
        {"window unloaded", "RefreshTimer=5000", [](app::frm_main& f) { f.Form_Unload(); }, false},
        {"polling switched off", "RefreshTimer=0", nullptr, false},
    };
    for (const Case& c : cases) {
        form.reset();
        view = fakes::MainView();
        p.volumes.labels.clear();
        p.fs.files.clear();
        p.fs.addFolder("C:\\Apps");
        start(std::string("[Status]\r\n") + c.status + "\r\n[CD]\r\nDrive_D=True\r\n");
        if (c.before)
            c.before(*form);
        const bool wasRunning = view.refresh.running;
        disc("D:", "ONE", "one.exe");
        const int polls = p.volumes.polls;
        w.deviceEvents.fire();
        EXPECT_EQ(p.volumes.polls, polls + (c.polls ? 1 : 0)) << c.what;
        EXPECT_EQ(view.row(1).volume.caption, c.polls ? "ONE" : "") << c.what;
        if (c.polls) {
            EXPECT_TRUE(view.refresh.running) << c.what;
            EXPECT_EQ(view.refresh.interval, 700) << c.what << ": a change polls again at ChangeTimer";
        } else {
            EXPECT_EQ(view.refresh.running, wasRunning) << c.what << ": the timer is left as it was";
        }
    }
}

TEST_F(MainWindowTest, ADeviceEventDuringAPollDoesNotNestAnother) {
    start("[CD]\r\nDrive_D=True\r\nDrive_E=True\r\n");
    int wakes = 0;
    p.volumes.onAsk = [&] {
        ++wakes;
        w.deviceEvents.fire();
    };
    p.volumes.asked.clear();
    form->tim_Refresh_Timer();
    EXPECT_EQ(wakes, 2);
    EXPECT_EQ(p.volumes.asked, (std::vector<std::string>{"D:", "E:"}));
    EXPECT_TRUE(view.refresh.running);
}

TEST_F(MainWindowTest, TheWindowStopsListeningToDeviceEventsWhenItGoes) {
    start();
    EXPECT_TRUE(w.deviceEvents.handler);
    form.reset();
    EXPECT_FALSE(w.deviceEvents.handler);
}

} // namespace
