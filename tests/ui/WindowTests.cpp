// Windows: control and window timers, messages from other threads, closing and modal
// windows, routing to virtual pages, menus, the tray icon and file dialogs.
#include "support/UiHarness.h"

#include "common/Event.h"
#include "common/Trace.h"
#include "ui/FileDialogs.h"
#include "ui/MenuUI.h"
#include "ui/TrayIcon.h"
#include "ui/WindowWidget.h"

#include <gtest/gtest.h>

#include <QMenu>
#include <QTimer>
#include <QTemporaryDir>

#include <atomic>
#include <cstdint>
#include <thread>

namespace velnor7::ui {
namespace {

using testing::TestWindow;

const char* const kSmall = R"(<Window size="300,200"><VerticalLayout name="root">
  <Button name="ok" height="30"/>
  <VerticalLayout name="lighting" virtualwnd="light_page"><Button name="light_btn" height="30"/></VerticalLayout>
</VerticalLayout></Window>)";

// A control that counts its own timer expiries instead of telling the window.
class Ticker : public CControlUI {
public:
    void OnTimer(int timerId) override {
        ++ticks;
        if (stopAfter > 0 && ticks >= stopAfter) GetManager()->KillTimer(this, timerId);
    }
    int ticks = 0;
    int stopAfter = 0;
};

// Lets two expiries of a fresh timer of `periodMs` happen. A timer of that period or
// shorter that was armed before it and still ran would have expired meanwhile too: Qt
// delivers expired timers in the order they fall due. So a timer that stays silent here
// is stopped, whatever the machine's pace.
void LetAnotherTimerExpireTwice(TestWindow& window, int periodMs) {
    auto* probe = new Ticker;
    auto* root = window.FindControlAs<CVerticalLayoutUI>("root");
    root->Add(probe);
    window.GetPaintManager().SetTimer(probe, 99, periodMs);
    EXPECT_TRUE(testing::WaitFor([probe] { return probe->ticks >= 2; }));
    root->Remove(probe);
}

// The timer notifications a control sent with that timer id.
int TimerNotifications(const TestWindow& window, const QString& sender, std::uintptr_t timerId) {
    int count = 0;
    for (const testing::ReceivedNotify& n : window.notifications) {
        count += n.type == "timer" && n.sender == sender && n.wParam == timerId;
    }
    return count;
}

TEST(WindowTimerTest, ControlTimersNotifyTheirIdUntilKilledAndSettingAgainRestarts) {
    TestWindow window(kSmall);
    window.Open();
    CControlUI* ok = window.FindControl("ok");
    CPaintManagerUI& pm = window.GetPaintManager();
    ASSERT_TRUE(pm.SetTimer(ok, 1000, 5));
    EXPECT_EQ(pm.TimerInterval(ok, 1000), 5);
    ASSERT_TRUE(testing::WaitFor([&] { return window.Received("timer", "ok") >= 2; }));
    EXPECT_EQ(window.notifications.back().wParam, 1000u);
    ASSERT_TRUE(pm.KillTimer(ok, 1000));
    const int heard = window.Received("timer", "ok");
    LetAnotherTimerExpireTwice(window, 5);
    EXPECT_EQ(window.Received("timer", "ok"), heard) << "a killed timer stays silent";
    EXPECT_FALSE(pm.KillTimer(ok, 1000));
    EXPECT_EQ(pm.TimerInterval(ok, 1000), -1);

    // Two timers of one control run side by side; a timer set again starts over with its
    // new period (at the old one it would not expire twice before the wait gave up).
    pm.SetTimer(ok, 1, 10000);
    pm.SetTimer(ok, 2, 5);
    pm.SetTimer(ok, 1, 5);
    EXPECT_EQ(pm.TimerInterval(ok, 1), 5);
    ASSERT_TRUE(testing::WaitFor(
        [&] { return TimerNotifications(window, "ok", 1) >= 2 && TimerNotifications(window, "ok", 2) >= 2; }));
    pm.KillTimers(ok);
    EXPECT_FALSE(pm.HasTimer(ok, 1));
    EXPECT_FALSE(pm.HasTimer(ok, 2));
}

TEST(WindowTimerTest, ATimerKilledInItsOwnExpiryStopsAndAControlThatGoesTakesItsTimersAlong) {
    TestWindow window(kSmall);
    window.Open();
    auto* ticker = new Ticker;
    ticker->stopAfter = 1;
    window.FindControlAs<CVerticalLayoutUI>("root")->Add(ticker);
    window.GetPaintManager().SetTimer(ticker, 7, 1);
    ASSERT_TRUE(testing::WaitFor([&] { return ticker->ticks >= 1; }));
    EXPECT_FALSE(window.GetPaintManager().HasTimer(ticker, 7));
    LetAnotherTimerExpireTwice(window, 1);
    EXPECT_EQ(ticker->ticks, 1);

    auto* doomed = new Ticker;
    window.FindControlAs<CVerticalLayoutUI>("root")->Add(doomed);
    window.GetPaintManager().SetTimer(doomed, 3, 1);
    window.FindControlAs<CVerticalLayoutUI>("root")->Remove(doomed);
    EXPECT_FALSE(window.GetPaintManager().HasTimer(doomed, 3));
    // An expiry of its timer now would reach a deleted control (the sanitizers see it).
    LetAnotherTimerExpireTwice(window, 1);
}

TEST(WindowTimerTest, WindowTimersArriveAsTimerMessages) {
    TestWindow window(kSmall);
    window.Open();
    window.onMessage = [&](const WindowMessage& message, bool& handled) {
        if (message.id == wm::kTimer && message.wParam == 1055) {
            window.KillTimer(1055);
            handled = true;
        }
    };
    window.SetTimer(1055, 5);
    ASSERT_TRUE(testing::WaitFor([&] { return !window.HasTimer(1055); }));
    LetAnotherTimerExpireTwice(window, 5);
    int expiries = 0;
    for (const WindowMessage& m : window.messages) expiries += m.id == wm::kTimer && m.wParam == 1055;
    EXPECT_EQ(expiries, 1);
}

TEST(WindowMessageTest, AWorkerSendWaitsForTheUiThreadAndAPostWaitsForTheQueue) {
    TestWindow window(kSmall);
    window.Open();
    std::atomic<bool> handledOnUiThread{false};
    const QThread* uiThread = QThread::currentThread();
    window.onMessage = [&](const WindowMessage& message, bool& handled) {
        if (message.id == 3090) {
            handledOnUiThread = QThread::currentThread() == uiThread;
            handled = true;
        }
    };
    std::atomic<long> sendResult{-1};
    std::atomic<bool> sent{false};
    std::thread worker([&] {
        sendResult = SendWindowMessage(window.GetHWND(), WindowMessage{3090, 2, 0, {}});
        sent = true;
    });
    ASSERT_TRUE(testing::WaitFor([&] { return sent.load(); }));
    worker.join();
    EXPECT_EQ(sendResult, 1);
    EXPECT_TRUE(handledOnUiThread);
    // A post is not handled before the UI thread runs its queue.
    ASSERT_TRUE(PostWindowMessage(window.GetHWND(), WindowMessage{3091, 2, 0, {}}));
    const auto posted = [&] {
        for (const WindowMessage& m : window.messages) {
            if (m.id == 3091 && m.wParam == 2) return true;
        }
        return false;
    };
    EXPECT_FALSE(posted());
    ASSERT_TRUE(testing::WaitFor(posted));
}

TEST(WindowMessageTest, ASendGivesUpWhenTheSendersStopEventIsSetAndGoneWindowsAreIgnored) {
    auto window = std::make_unique<TestWindow>(kSmall);
    window->Open();
    const WindowHandle handle = window->GetHWND();
    Event stop(Event::Reset::Manual);
    std::atomic<long> result{-1};
    // The UI thread is busy (here: in this test) while the worker sends; its stop ends the wait.
    std::thread worker([&] { result = SendWindowMessage(handle, WindowMessage{3090, 0, 0, {}}, &stop); });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    stop.Set();
    worker.join();
    EXPECT_EQ(result, 0);

    window.reset();
    EXPECT_EQ(SendWindowMessage(handle, WindowMessage{3090, 0, 0, {}}), 0);
    EXPECT_FALSE(PostWindowMessage(handle, WindowMessage{3090, 0, 0, {}}));
    QApplication::processEvents();  // the abandoned message finds no window
    EXPECT_EQ(RegisterWindowMessage("VELNOR7"), RegisterWindowMessage("VELNOR7"));
    EXPECT_NE(RegisterWindowMessage("VELNOR7"), RegisterWindowMessage("{4695579F-999A-41d4-9FAF-EFFCE93EBF16}"));
    EXPECT_GE(RegisterWindowMessage("VELNOR7"), wm::kFirstRegistered);
}

// A window that closes itself from its own button and deletes itself at the end.
class SelfDeletingDialog : public TestWindow {
public:
    SelfDeletingDialog(bool* deleted) : TestWindow(kSmall), deleted_(deleted) {}
    ~SelfDeletingDialog() override { *deleted_ = true; }

protected:
    void OnNotify(TNotifyUI& msg) override {
        if (msg.sType == "click" && msg.pSender->GetName() == "ok") Close(1);
    }
    void OnFinalMessage() override { delete this; }

private:
    bool* deleted_;
};

TEST(WindowMessageTest, AModalWindowReturnsTheCodeItClosedWithEvenWhenItDeletesItself) {
    bool deleted = false;
    auto* dialog = new SelfDeletingDialog(&deleted);
    dialog->Create(nullptr, "dialog");
    QTimer::singleShot(0, [dialog] { testing::Click(dialog->FindControl("ok")); });
    EXPECT_EQ(dialog->ShowModal(), 1);
    EXPECT_TRUE(deleted);
}

TEST(WindowMessageTest, TheDesktopsCloseComesAsAMessageTheWindowMayRefuse) {
    TestWindow window(kSmall);
    window.Open();
    window.onMessage = [](const WindowMessage& message, bool& handled) { handled = message.id == wm::kClose; };
    window.GetWidget()->close();
    ASSERT_TRUE(testing::WaitFor([&] {
        return std::any_of(window.messages.begin(), window.messages.end(),
                           [](const WindowMessage& m) { return m.id == wm::kClose; });
    }));
    EXPECT_TRUE(window.IsWindow());
    window.onMessage = nullptr;
    window.Close(0);
    ASSERT_TRUE(testing::WaitFor([&] { return !window.IsWindow(); }));
    EXPECT_TRUE(std::any_of(window.messages.begin(), window.messages.end(),
                            [](const WindowMessage& m) { return m.id == wm::kDestroy; }));
}

TEST(WindowFrameTest, DraggedEdgesResizeWithinTheLimitsAndTheOppositeEdgesStayPut) {
    const QRect start(100, 50, 400, 300);
    const QSize minimum(300, 200);
    const QSize maximum(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    struct Case {
        const char* what;
        Qt::Edges edges;
        QPoint delta;
        QRect expected;
    };
    const Case cases[] = {
        {"right edge outwards", Qt::RightEdge, {50, 9}, QRect(100, 50, 450, 300)},
        {"bottom edge inwards", Qt::BottomEdge, {0, -40}, QRect(100, 50, 400, 260)},
        {"left edge outwards: the right edge stays", Qt::LeftEdge, {-30, 0}, QRect(70, 50, 430, 300)},
        {"top-left corner inwards", Qt::TopEdge | Qt::LeftEdge, {20, 10}, QRect(120, 60, 380, 290)},
        {"left edge past the minimum stops there", Qt::LeftEdge, {250, 0}, QRect(200, 50, 300, 300)},
        {"bottom-right corner past the minimum", Qt::BottomEdge | Qt::RightEdge, {-500, -500}, QRect(100, 50, 300, 200)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WindowWidget::ResizedGeometry(start, c.edges, c.delta, minimum, maximum), c.expected) << c.what;
    EXPECT_EQ(WindowWidget::ResizedGeometry(start, Qt::RightEdge, {500, 0}, minimum, QSize(600, 600)).width(), 600)
        << "nor past the maximum";
}

const char* const kResizable = R"(<Window size="400,300" caption="0,0,0,40" mininfo="300,200" sizebox="6,6,6,6">
  <VerticalLayout name="root"><Label name="title" height="40" text="caption"/><Control/></VerticalLayout></Window>)";

TEST(WindowFrameTest, AFramelessWindowResizesByItsEdgeAndMaximisesOnACaptionDoubleClick) {
    TestWindow window(kResizable);
    window.Create(nullptr, "test", CWindowWnd::kFrameless);
    window.Open();
    QWidget* widget = window.GetWidget();
    const QSize before = widget->size();
    // Where the desktop cannot resize it (as here), the window follows the mouse itself.
    const QPoint edge(widget->width() - 2, widget->height() / 2);
    QTest::mousePress(widget, Qt::LeftButton, Qt::NoModifier, edge);
    QMouseEvent drag(QEvent::MouseMove, QPointF(edge + QPoint(60, 0)), widget->mapToGlobal(QPointF(edge + QPoint(60, 0))),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &drag);
    QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, edge + QPoint(60, 0));
    EXPECT_EQ(widget->size(), QSize(before.width() + 60, before.height()));

    // The caption moves the window once the mouse moves, not on the press alone.
    const QPoint topLeft = widget->pos();
    const QPoint caption(widget->width() / 2, 20);
    QTest::mousePress(widget, Qt::LeftButton, Qt::NoModifier, caption);
    EXPECT_EQ(widget->pos(), topLeft);
    QMouseEvent move(QEvent::MouseMove, QPointF(caption + QPoint(40, 30)), widget->mapToGlobal(QPointF(caption + QPoint(40, 30))),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
    QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, caption + QPoint(40, 30));
    EXPECT_EQ(widget->pos(), topLeft + QPoint(40, 30));

    // The caption is a label here: the double click on it reaches the window all the same.
    auto* title = window.Find<CControlUI>("title");
    testing::DoubleClick(title);
    EXPECT_TRUE(testing::WaitFor([&] { return widget->isMaximized(); }));
    testing::DoubleClick(title);
    EXPECT_TRUE(testing::WaitFor([&] { return !widget->isMaximized(); }));
}

// A virtual page: the notifications of the controls inside "light_page" come here.
class LightPage : public CNotifyPump {
public:
    std::vector<QString> heard;

protected:
    void OnNotify(TNotifyUI& msg) override { heard.push_back(msg.sType + ":" + msg.pSender->GetName()); }
};

TEST(NotifyPumpTest, ControlsOfAVirtualPageReachItsPumpAndOthersTheWindow) {
    TestWindow window(kSmall);
    LightPage page;
    ASSERT_TRUE(window.AddVirtualWnd("light_page", &page));
    EXPECT_FALSE(window.AddVirtualWnd("light_page", &page));
    window.Open();
    window.notifications.clear();
    testing::Click(window.FindControl("light_btn"));
    testing::Click(window.FindControl("ok"));
    EXPECT_EQ(page.heard, (std::vector<QString>{"click:light_btn"}));
    EXPECT_EQ(window.Received("click", "ok"), 1);
    EXPECT_EQ(window.Received("click", "light_btn"), 0);
    window.RemoveVirtualWnd("light_page");
    testing::Click(window.FindControl("light_btn"));
    EXPECT_EQ(window.Received("click", "light_btn"), 1);
}

TEST(NotifyPumpTest, HoverAndDoubleClickOfButtonsAreTold) {
    TestWindow window(kSmall);
    window.Open();
    window.notifications.clear();
    CControlUI* ok = window.FindControl("ok");
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), ok->GetWidget()->mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(ok->GetWidget(), &enter);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(ok->GetWidget(), &leave);
    testing::DoubleClick(ok);
    EXPECT_EQ(window.TypesFrom("ok"), (std::vector<QString>{"msenter", "msleave", "click", "dbclick", "click"}));
}

TEST(MenuTest, TheChosenItemsNameComesBackToTheOwner) {
    TestWindow window(kSmall);
    window.Open();
    QMenu* menu = CMenuUI::Build(window.GetHWND(), R"(<Menu>
        <MenuElement name="show" text="Show"/>
        <MenuElement separator="true"/>
        <MenuElement name="exit" text="Exit"/>
      </Menu>)", "menu.xml", CMenuUI::kMenuCommand);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 3);
    menu->actions().at(2)->trigger();
    ASSERT_TRUE(testing::WaitFor([&] {
        return std::any_of(window.messages.begin(), window.messages.end(), [](const WindowMessage& m) {
            return m.id == CMenuUI::kMenuCommand && m.text == "exit";
        });
    }));
    delete menu;

    TraceCapture trace;
    EXPECT_EQ(CMenuUI::Build(window.GetHWND(), "<Menu><MenuElement", "broken.xml", CMenuUI::kMenuCommand), nullptr);
    EXPECT_EQ(CMenuUI::Popup(window.GetHWND(), "/no/such/menu.xml", QPoint(0, 0)), nullptr);
    EXPECT_EQ(trace.Lines().size(), 2u);
}

TEST(TrayTest, WithoutANotificationAreaTheProgramGoesOnAndClicksStillArrive) {
    TestWindow window(kSmall);
    window.Open();
    CTrayIcon tray;
    const bool created = tray.Create(window.GetHWND(), 1025, QIcon(), "VELNOR7");
    EXPECT_EQ(created, CTrayIcon::IsAvailable());
    tray.Click(false);
    tray.Click(true);
    ASSERT_TRUE(testing::WaitFor([&] {
        return std::count_if(window.messages.begin(), window.messages.end(),
                             [](const WindowMessage& m) { return m.id == 1025; }) == 2;
    }));
    std::vector<std::intptr_t> clicks;
    for (const WindowMessage& m : window.messages) {
        if (m.id == 1025) clicks.push_back(m.lParam);
    }
    EXPECT_EQ(clicks, (std::vector<std::intptr_t>{514, 517}));
}

class AnsweringDialogs : public IFileDialogs {
public:
    std::optional<QString> OpenFile(QWidget*, const QString&, const QString& filter) override {
        lastFilter = filter;
        return answer;
    }
    std::optional<QString> SaveFile(QWidget*, const QString&, const QString& filter, const QString&,
                                    const QString&) override {
        lastFilter = filter;
        return answer;
    }
    std::optional<QString> answer;
    QString lastFilter;
};

TEST(FileDialogTest, TestsAnswerTheDialogsInPlaceOfTheUser) {
    AnsweringDialogs dialogs;
    SetFileDialogs(&dialogs);
    dialogs.answer = "/tmp/profile.json";
    EXPECT_EQ(FileDialogs().OpenFile(nullptr, "Import", "Profile Files (*.json)"), "/tmp/profile.json");
    EXPECT_EQ(dialogs.lastFilter, "Profile Files (*.json)");
    dialogs.answer.reset();
    EXPECT_FALSE(FileDialogs().SaveFile(nullptr, "Export", "Macro Files (*.mac)", "macro", "mac").has_value());
    SetFileDialogs(nullptr);
    EXPECT_NE(&FileDialogs(), static_cast<IFileDialogs*>(&dialogs));
}

}  // namespace
}  // namespace velnor7::ui
