// What one poll of the drive window costs the platform, and discs seen between the timer's ticks.
#include "support/MainWindowFixture.h"

namespace {

TEST_F(MainWindowTest, APollReadsEachLabelOnceAndOpensFilesOnlyForChangedDrives) {
    struct Case {
        const char* what;
        const char* dLabel;
        const char* eLabel;
        int listings; // folders the poll read
    };
    const Case cases[] = {
        {"nothing changed", "ONE", "TWO", 0},
        {"D: changed", "THREE", "TWO", 1},
        {"both changed", "ONE", "FOUR", 2},
        {"D: emptied", "", "FOUR", 1},
    };
    disc('D', "ONE", "one.exe");
    disc('E', "TWO", "two.exe");
    start("[CD]\r\nDrive_D=True\r\nDrive_E=True\r\n");
    for (const Case& c : cases) {
        // A swapped autorun disc is read at the second poll: settle each case first.
        disc('D', c.dLabel, *c.dLabel ? "d.exe" : "");
        disc('E', c.eLabel, "e.exe");
        p.drives.asked.clear();
        p.fs.listings = 0;
        const int polls = p.drives.polls;
        form->refreshTick();
        EXPECT_EQ(p.drives.asked, (std::vector<char>{'D', 'E'})) << c.what;
        EXPECT_EQ(p.fs.listings, c.listings) << c.what;
        EXPECT_EQ(p.drives.polls, polls + 1) << c.what;
        EXPECT_EQ(p.drives.askedOutsidePoll, 0) << c.what;
        EXPECT_EQ(p.drives.depth, 0) << c.what << ": the poll was not closed";
        form->refreshTick();
    }
}

TEST_F(MainWindowTest, LoadingTheRowsIsOnePoll) {
    disc('D', "ONE", "one.exe");
    start("[CD]\r\nDrive_D=True\r\nDrive_E=True\r\n");
    EXPECT_EQ(p.drives.polls, 1);
    view.events->keyPressed({port::Key::Kind::Letter, 'F'});
    EXPECT_EQ(p.drives.polls, 2) << "the rebuilt rows read their drives in one poll";
    EXPECT_EQ(p.drives.asked, (std::vector<char>{'D', 'E', 'D', 'E', 'F'}));
    EXPECT_EQ(p.drives.askedOutsidePoll, 0);
    EXPECT_EQ(p.drives.depth, 0);
}

TEST_F(MainWindowTest, ADeviceEventRunsOnePollNowWhileTheTimerRuns) {
    struct Case {
        const char* what;
        const char* status;
        std::function<void(ui::MainWindow&)> before;
        bool polls;
    };
    const Case cases[] = {
        {"timer running", "RefreshTimer=5000\r\nChangeTimer=700", nullptr, true},
        {"window unloaded", "RefreshTimer=5000", [](ui::MainWindow& f) { f.closing(); }, false},
        {"polling switched off", "RefreshTimer=0", nullptr, false},
    };
    for (const Case& c : cases) {
        form.reset();
        view = fakes::MainView();
        p.drives.discs.clear();
        p.fs.files.clear();
        p.fs.addFolder("C:\\Apps");
        start(std::string("[Status]\r\n") + c.status + "\r\n[CD]\r\nDrive_D=True\r\n");
        if (c.before)
            c.before(*form);
        const bool wasRunning = view.refresh.running;
        disc('D', "ONE", "one.exe");
        const int polls = p.drives.polls;
        w.deviceEvents.fire();
        EXPECT_EQ(p.drives.polls, polls + (c.polls ? 1 : 0)) << c.what;
        EXPECT_EQ(view.row('D').label, c.polls ? "ONE" : "") << c.what;
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
    p.drives.onAsk = [&] {
        ++wakes;
        w.deviceEvents.fire();
    };
    p.drives.asked.clear();
    form->refreshTick();
    EXPECT_EQ(wakes, 2);
    EXPECT_EQ(p.drives.asked, (std::vector<char>{'D', 'E'}));
    EXPECT_TRUE(view.refresh.running);
}

TEST_F(MainWindowTest, TheWindowStopsListeningToDeviceEventsWhenItGoes) {
    start();
    EXPECT_TRUE(w.deviceEvents.handler);
    form.reset();
    EXPECT_FALSE(w.deviceEvents.handler);
}

} // namespace
