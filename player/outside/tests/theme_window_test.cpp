// Themed windows: layout, element lookup, list control, events, timers and posted messages.
#include <atomic>
#include <thread>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include "skinloom/dispatcher_timer.h"
#include "skinloom/list_ctrl.h"
#include "skinloom/theme_manager.h"
#include "skinloom/theme_window.h"
#include "temp_directory.h"

namespace {

const char* const kLayout = R"(<Window Name="Root" TitleKey="Title" Title="Default title" Width="400" Height="300">
  <Panel Name="Body" Orientation="Vertical" Margin="4">
    <TextBlock Name="Caption" TextKey="Caption" Text="Caption default"/>
    <ListCtrl Name="Results" Stretch="1"/>
    <Panel Orientation="Horizontal">
      <Spacer/>
      <Button Name="OkButton" TextKey="OK" Text="确定" Click="OKClick"/>
      <Button Name="Other" Text="Other" IsEnabled="false"/>
    </Panel>
  </Panel>
</Window>
)";

// Processes events until `done` holds; gives up after a long bound so a fault cannot hang the run.
template <class Predicate>
bool processUntil(Predicate done) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (!done() && elapsed.elapsed() < 30000) QApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

struct CountedPayload : ThemeMessagePayload {
    CountedPayload(int value, std::atomic<int>& alive) : value(value), alive(alive) { ++alive; }
    ~CountedPayload() override { --alive; }
    int value;
    std::atomic<int>& alive;
};

class RecordingWindow : public CThemeWindowBase {
public:
    std::vector<ThemeEvent> events;
    std::vector<int> messages;
    int created = 0;
    int destroyed = 0;

    void OnEvent(const ThemeEvent& event) override { events.push_back(event); }
    void WindowProc(const ThemeMessage& message) override {
        if (auto* payload = dynamic_cast<const CountedPayload*>(message.payload)) messages.push_back(payload->value);
        CThemeWindowBase::WindowProc(message);
    }

protected:
    IThemeElement* CreateElement(IThemeElement* element) override {
        ++created;
        return CThemeWindowBase::CreateElement(element);
    }
    void DestroyElement() override {
        CThemeWindowBase::DestroyElement();
        ++destroyed;
    }
};

class ThemeWindowTest : public testing::Test {
protected:
    void SetUp() override {
        theme.write("Window.xaml", kLayout);
        theme.write("Zet_English.xaml", "<Strings><String Key=\"Title\">Window title</String></Strings>");
        ASSERT_EQ(manager.InitThemeManager(theme.path()), 0);
        ASSERT_TRUE(manager.GetRootElement()->GetResourceDictionary()->LoadResourceFile("Zet_English.xaml"));
        window.SetLayoutFile("Window.xaml");
        ASSERT_TRUE(window.Create());
    }

    TempDirectory theme;
    CThemeManager manager;
    RecordingWindow window;
};

TEST_F(ThemeWindowTest, LayoutGivesTitleTextsAndCreatesOnce) {
    EXPECT_EQ(window.GetTitle(), "Window title");  // from the language file
    EXPECT_EQ(window.FindElement<IThemeTextBlock>("Caption")->GetText(), "Caption default");  // key missing: default
    EXPECT_EQ(window.FindElement<IThemeButton>("OkButton")->GetText(), "确定");
    EXPECT_EQ(window.created, 1);
    EXPECT_TRUE(window.Create());
    EXPECT_EQ(window.created, 1);
    window.SetTitle("Changed");
    EXPECT_EQ(window.GetTitle(), "Changed");
}

TEST_F(ThemeWindowTest, LookupByNameCastsToTheWantedInterface) {
    EXPECT_NE(window.FindElement<IUserXListCtrl>("Results"), nullptr);
    EXPECT_NE(window.FindElement<IThemeElement>("Body"), nullptr);
    EXPECT_EQ(window.FindElement<IThemeButton>("Results"), nullptr);  // exists, other kind
    EXPECT_EQ(window.FindElement<IThemeElement>("Missing"), nullptr);
    EXPECT_EQ(window.FindElement<IThemeElement>(""), nullptr);  // unnamed panels are not found
}

TEST_F(ThemeWindowTest, EnablingAndVisibility) {
    auto* ok = window.FindElement<IThemeButton>("OkButton");
    EXPECT_TRUE(ok->IsEnabled());
    EXPECT_FALSE(window.FindElement<IThemeButton>("Other")->IsEnabled());  // IsEnabled="false"
    ok->SetEnabled(false);
    EXPECT_FALSE(ok->IsEnabled());
    ok->SetEnabled(true);
    EXPECT_TRUE(ok->IsEnabled());
    for (int visibility : {ThemeHidden, ThemeCollapsed, ThemeVisible}) {
        ok->SetVisibility(visibility);
        EXPECT_EQ(ok->GetVisibility(), visibility);
    }
    ok->SetVisibility(7);  // not a visibility: ignored
    EXPECT_EQ(ok->GetVisibility(), ThemeVisible);
}

TEST_F(ThemeWindowTest, ListControlColumnsRowsAndTexts) {
    auto* list = window.FindElement<IUserXListCtrl>("Results");
    EXPECT_EQ(list->InsertItem(0, "no columns yet"), -1);
    EXPECT_EQ(list->InsertColumn(0, "Name", ListFormatCenter, 360, -1), 0);
    EXPECT_EQ(list->InsertColumn(5, "Result", ListFormatLeft, 250, -1), 1);  // past the end: appended
    EXPECT_EQ(list->InsertColumn(0, "First", ListFormatLeft, 50, -1), 0);
    EXPECT_EQ(list->GetColumnCount(), 3);
    EXPECT_EQ(list->GetColumnText(0), "First");
    EXPECT_EQ(list->GetColumnText(1), "Name");
    EXPECT_EQ(list->GetColumnText(2), "Result");

    EXPECT_EQ(list->InsertItem(0, "b"), 0);
    EXPECT_EQ(list->InsertItem(0, "a"), 0);
    EXPECT_EQ(list->InsertItem(9, "c"), 2);
    ASSERT_EQ(list->GetItemCount(), 3);
    EXPECT_EQ(list->GetItemText(0, 0), "a");
    EXPECT_EQ(list->GetItemText(2, 0), "c");
    EXPECT_TRUE(list->SetItemText(1, 2, "passed"));
    EXPECT_EQ(list->GetItemText(1, 2), "passed");
    EXPECT_FALSE(list->SetItemText(3, 0, "no such row"));
    EXPECT_FALSE(list->SetItemText(0, 3, "no such column"));
    EXPECT_EQ(list->GetItemText(7, 0), "");
    list->DeleteAllItems();
    EXPECT_EQ(list->GetItemCount(), 0);
}

TEST_F(ThemeWindowTest, ButtonClickRaisesItsEventWithItsSourceName) {
    auto* button = window.GetNativeWindow()->findChild<QPushButton*>("OkButton");
    ASSERT_NE(button, nullptr);
    button->click();
    ASSERT_EQ(window.events.size(), 1u);
    EXPECT_EQ(window.events[0].name, "OKClick");
    EXPECT_EQ(window.events[0].source, "OkButton");
}

TEST_F(ThemeWindowTest, TimerTicksReachTheHandlerWithItsId) {
    CThemeDispatcherTimer timer;
    timer.SetInterval(1);
    timer.SetHander(&window);
    timer.SetID(7);
    timer.Start();
    ASSERT_TRUE(processUntil([&] { return !window.events.empty(); }));
    timer.Stop();
    EXPECT_FALSE(timer.IsRunning());
    EXPECT_EQ(window.events[0].name, "Timer");
    EXPECT_EQ(window.events[0].timerId, 7);
    EXPECT_EQ(window.events[0].source, "");
}

TEST_F(ThemeWindowTest, MessagesPostedFromAnotherThreadArriveInOrder) {
    std::atomic<int> alive{0};
    std::thread poster([&] {
        for (int value = 0; value < 50; ++value) window.PostMessage(0x465, std::make_unique<CountedPayload>(value, alive));
    });
    poster.join();
    ASSERT_TRUE(processUntil([&] { return window.messages.size() == 50; }));
    for (int value = 0; value < 50; ++value) EXPECT_EQ(window.messages[value], value);
    EXPECT_EQ(alive, 0);  // each payload released after delivery
}

TEST(ThemeWindow, UndeliveredPayloadsAreReleasedWithTheWindow) {
    TempDirectory theme;
    theme.write("Window.xaml", kLayout);
    CThemeManager manager;
    ASSERT_EQ(manager.InitThemeManager(theme.path()), 0);
    std::atomic<int> alive{0};
    {
        RecordingWindow window;
        window.SetLayoutFile("Window.xaml");
        ASSERT_TRUE(window.Create());
        for (int value = 0; value < 3; ++value) window.PostMessage(1, std::make_unique<CountedPayload>(value, alive));
        EXPECT_EQ(alive, 3);
    }
    EXPECT_EQ(alive, 0);
}

TEST_F(ThemeWindowTest, ClosingRunsDestroyElementOnce) {
    ASSERT_TRUE(window.Show());
    EXPECT_TRUE(window.IsOpen());
    window.Close();
    EXPECT_FALSE(window.IsOpen());
    window.Close();
    EXPECT_EQ(window.destroyed, 1);
}

TEST_F(ThemeWindowTest, ShowDialogReturnsAfterCloseFromAnEvent) {
    QTimer::singleShot(0, [&] { window.Close(); });
    EXPECT_EQ(window.ShowDialog(), 1);
    EXPECT_EQ(window.destroyed, 1);
}

TEST(ThemeWindow, MissingOrBrokenLayoutCreatesNothing) {
    TempDirectory theme;
    theme.write("Broken.xaml", "<Window><Panel><Unknown/></Panel></Window>");
    theme.write("NotWindow.xaml", "<Panel/>");
    CThemeManager manager;
    ASSERT_EQ(manager.InitThemeManager(theme.path()), 0);
    for (const char* file : {"Missing.xaml", "Broken.xaml", "NotWindow.xaml"}) {
        SCOPED_TRACE(file);
        RecordingWindow window;
        window.SetLayoutFile(file);
        EXPECT_FALSE(window.Create());
        EXPECT_EQ(window.ShowDialog(), -1);
        EXPECT_EQ(window.GetNativeWindow(), nullptr);
        EXPECT_EQ(window.created, 0);
    }
}

}  // namespace
