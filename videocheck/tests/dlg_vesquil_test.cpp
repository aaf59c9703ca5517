// The check window on Qt's offscreen platform: rows in order, "Checking" then the result, OK
// disabled while the worker runs, OK and closing during a check.
#include <functional>
#include <map>

#include <QApplication>
#include <QPushButton>
#include <gtest/gtest.h>

#include "check_messages.h"
#include "dlg_vesquil.h"
#include "frame_builder.h"
#include "skinloom/theme_manager.h"
#include "temp_directory.h"

namespace {

using namespace videocheck_test;

struct Snapshot {
    uint32_t message;
    std::vector<std::pair<std::string, std::string>> rows;
    bool okEnabled;
};

// The program's window, watched after each message it handles.
class WatchedWindow : public vesquil::CDlgVesquil {
public:
    std::vector<Snapshot> snapshots;
    std::function<void(WatchedWindow&, const ThemeMessage&)> afterMessage;

    void WindowProc(const ThemeMessage& message) override {
        CDlgVesquil::WindowProc(message);
        snapshots.push_back(snapshot(message.id));
        if (afterMessage) afterMessage(*this, message);
    }
    IUserXListCtrl* list() { return FindElement<IUserXListCtrl>("VideoCheckResultList"); }
    void clickOk() { GetNativeWindow()->findChild<QPushButton*>("OkButton")->click(); }
    int count(uint32_t message) const {
        return static_cast<int>(std::count_if(snapshots.begin(), snapshots.end(), [&](const Snapshot& s) { return s.message == message; }));
    }

private:
    Snapshot snapshot(uint32_t message) {
        Snapshot taken{message, {}, FindElement<IThemeButton>("OkButton")->IsEnabled()};
        for (int row = 0; row < list()->GetItemCount(); ++row) taken.rows.emplace_back(list()->GetItemText(row, 0), list()->GetItemText(row, 1));
        return taken;
    }
};

std::string frameFile(uint8_t check) {
    Bytes file;
    appendFrame(file, filled(4, 1), check);
    return std::string(file.begin(), file.end());
}

// The shipped theme, beside the test program as beside vesquil, in the language asked for.
class DlgVesquilTest : public testing::Test {
protected:
    void useLanguage(const std::string& language) {
        ASSERT_EQ(manager.InitThemeManager("theme/zet"), 0);
        ASSERT_TRUE(manager.GetRootElement()->GetResourceDictionary()->LoadResourceFile("Zet_" + language + ".xaml"));
    }
    void prepare(const std::string& path) {
        window.SetPath(path);
        window.SetLayoutFile("DlgVesquil.xaml");
    }

    CThemeManager manager;
    TempDirectory directory;
    WatchedWindow window;
};

TEST_F(DlgVesquilTest, WindowHasTitleAndColumnsFromTheLanguageFile) {
    useLanguage("English");
    prepare(directory.path());
    ASSERT_TRUE(window.Create());
    EXPECT_EQ(window.GetTitle(), "Video check");
    ASSERT_EQ(window.list()->GetColumnCount(), 2);
    EXPECT_EQ(window.list()->GetColumnText(0), "File name");
    EXPECT_EQ(window.list()->GetColumnText(1), "Check result");
    EXPECT_TRUE(window.FindElement<IThemeButton>("OkButton")->IsEnabled());  // until the worker starts
    window.Close();
}

TEST_F(DlgVesquilTest, RowsAppearInOrderWithCheckingThenTheResult) {
    useLanguage("English");
    directory.write("videos/good.264", frameFile(4));
    directory.write("videos/deeper/bad.265", frameFile(5));
    directory.write("videos/empty.264", "");
    directory.write("videos/skip.txt", "");
    const std::map<std::string, std::string> expected = {
        {"good.264", "Check passed"}, {"bad.265", "Check failed"}, {"empty.264", "Reading the file failed"}};
    prepare(directory.path() + "/videos");
    window.afterMessage = [](WatchedWindow& self, const ThemeMessage& message) {
        if (message.id == vesquil::kMessageAllDone) self.clickOk();
    };
    window.ShowDialog();

    ASSERT_EQ(window.count(vesquil::kMessageFileUnderTest), 3);
    ASSERT_EQ(window.count(vesquil::kMessageFileResult), 3);
    size_t row = 0;
    for (const Snapshot& snapshot : window.snapshots) {
        if (snapshot.message == vesquil::kMessageAllDone) {
            EXPECT_TRUE(snapshot.okEnabled);
            continue;
        }
        EXPECT_FALSE(snapshot.okEnabled);  // disabled all the while the worker runs
        if (snapshot.message == vesquil::kMessageFileUnderTest) {
            ASSERT_EQ(snapshot.rows.size(), row + 1);
            EXPECT_EQ(snapshot.rows[row].second, "Checking");
        } else {
            ASSERT_EQ(snapshot.rows.size(), row + 1);
            const std::string& name = snapshot.rows[row].first;
            ASSERT_EQ(expected.count(name), 1u) << name;  // the name alone, also from a subdirectory
            EXPECT_EQ(snapshot.rows[row].second, expected.at(name));
            ++row;
        }
    }
    EXPECT_EQ(window.snapshots.back().message, vesquil::kMessageAllDone);
}

TEST_F(DlgVesquilTest, DefaultLanguageShowsTheChineseTexts) {
    useLanguage("Chinese");
    const std::string file = directory.write("a/one.264", frameFile(4));
    prepare(file);
    window.afterMessage = [](WatchedWindow& self, const ThemeMessage& message) {
        if (message.id == vesquil::kMessageAllDone) self.clickOk();
    };
    window.ShowDialog();
    EXPECT_EQ(window.GetTitle(), "视频校验");
    ASSERT_EQ(window.list()->GetItemCount(), 1);
    EXPECT_EQ(window.list()->GetItemText(0, 0), "one.264");
    EXPECT_EQ(window.list()->GetItemText(0, 1), "校验成功");
}

TEST_F(DlgVesquilTest, NothingToCheckGivesNoRowsAndEnablesOkAgain) {
    useLanguage("English");
    prepare(directory.path() + "/missing");
    window.afterMessage = [](WatchedWindow& self, const ThemeMessage& message) {
        if (message.id == vesquil::kMessageAllDone) self.clickOk();
    };
    window.ShowDialog();
    ASSERT_EQ(window.snapshots.size(), 1u);
    EXPECT_EQ(window.snapshots[0].message, vesquil::kMessageAllDone);
    EXPECT_TRUE(window.snapshots[0].okEnabled);
    EXPECT_EQ(window.list()->GetItemCount(), 0);
}

TEST_F(DlgVesquilTest, ClosingDuringACheckStopsTheWorker) {
    useLanguage("English");
    constexpr int kFiles = 300;  // 10 ms apart: seconds of work if the worker went on
    for (int file = 0; file < kFiles; ++file) directory.write("many/f" + std::to_string(file) + ".264", frameFile(4));
    prepare(directory.path() + "/many");
    window.afterMessage = [](WatchedWindow& self, const ThemeMessage& message) {
        if (message.id == vesquil::kMessageFileUnderTest) self.Close();
    };
    window.ShowDialog();  // returns once the worker has been joined
    // Deliver what the worker posted before it saw the stop flag.
    window.afterMessage = nullptr;
    QCoreApplication::sendPostedEvents(window.GetNativeWindow());
    EXPECT_LT(window.count(vesquil::kMessageFileUnderTest), kFiles);
    EXPECT_EQ(window.count(vesquil::kMessageAllDone), 1);  // the worker ended its run normally
}

}  // namespace
