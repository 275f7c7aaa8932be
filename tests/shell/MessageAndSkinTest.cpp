// The program's message window answered as a user answers it, the window background chosen in
// the skin pop-up (told to the main window, remembered, refused when it is no picture), and the
// language list with its remembered choice.
#include "shell/MainWindowFixture.h"

#include "common/Trace.h"
#include "shell/Languages.h"
#include "shell/ShowMessage.h"
#include "shell/SkinObserver.h"
#include "shell/SkinSettings.h"
#include "shell/UserSettings.h"
#include "ui/ComboUI.h"
#include "ui/FileDialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSettings>
#include <QTimer>

namespace velnor7 {
namespace {

using testing::MainWindowTest;
using testing::WaitFor;

// The named control of the shown modal window.
ui::CControlUI* InModal(const QString& name) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible() || !window->isModal()) continue;
        for (QWidget* child : window->findChildren<QWidget*>()) {
            ui::CControlUI* control = ui::CControlUI::FromWidget(child);
            if (control != nullptr && control->GetName() == name) return control;
        }
    }
    return nullptr;
}

// Once the message window shows: reads it with `look`, then clicks `button`.
void WhenShown(const QString& button, std::function<void()> look = {}) {
    QTimer::singleShot(0, [button, look] {
        if (!WaitFor([&] { return InModal(button) != nullptr; })) {
            ADD_FAILURE() << "no message window with " << button.toStdString();
            return;
        }
        if (look) look();
        testing::Click(InModal(button));
    });
}

class MessageWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ui::CResourceManager::Instance().SetSkinPath(testing::SourceSkinPath()); }
    void SetUp() override {
        ASSERT_TRUE(ui::CResourceManager::Instance().LoadLanguage("lang/en.xml"));
        ui::CResourceManager::Instance().SetLanguage("en");
    }
};

TEST_F(MessageWindowTest, ConfirmAnswersOneAndCancelOrTheCloseButtonZero) {
    WhenShown("confirm_btn");
    EXPECT_EQ(ShowMessage(nullptr, {}, "message_text_22", 96, false, CMsgWnd::kConfirmAndCancel), 1);
    WhenShown("cancel_btn");
    EXPECT_EQ(ShowMessage(nullptr, {}, "message_text_22", 96, false, CMsgWnd::kConfirmAndCancel), 0);
    WhenShown("closebtn");
    EXPECT_EQ(ShowMessage(nullptr, {}, "message_text_22", 96, false, CMsgWnd::kConfirmAndCancel), 0);
}

TEST_F(MessageWindowTest, ANoticeShowsItsTextUnderTheDefaultTitleWithOnlyTheConfirmButton) {
    QString title;
    QString text;
    bool cancelShown = true;
    WhenShown("confirm_btn", [&] {
        title = InModal("MessageTitle")->GetText();
        text = InModal("MessageText")->GetText();
        cancelShown = InModal("cancel_btn")->GetWidget()->isVisible();
    });
    EXPECT_EQ(ShowMessage(nullptr, {}, MessageText("message_text_16", 94), 96, false, CMsgWnd::kConfirmOnly), 1);
    EXPECT_EQ(title, ui::CResourceManager::Instance().TextOrSelf("msg_title_default"));
    EXPECT_NE(title, "msg_title_default");
    EXPECT_TRUE(text.contains("94")) << text.toStdString();
    EXPECT_FALSE(text.contains("%d"));
    EXPECT_FALSE(cancelShown);

    // A title given is shown; rich text keeps its markup out of sight.
    Qt::TextFormat format = Qt::PlainText;
    WhenShown("confirm_btn", [&] {
        title = InModal("MessageTitle")->GetText();
        format = static_cast<QLabel*>(InModal("MessageText")->GetWidget())->textFormat();
    });
    ShowMessage(nullptr, "skin_custom_text", "<b>bold</b>", 96, true, CMsgWnd::kConfirmOnly);
    EXPECT_EQ(title, ui::CResourceManager::Instance().TextOrSelf("skin_custom_text"));
    EXPECT_EQ(format, Qt::RichText);
}

TEST_F(MessageWindowTest, ADpiOutsideTheStepsIsTracedAnd96IsUsed) {
    TraceCapture trace;
    CMsgWnd window;
    ASSERT_TRUE(window.Create(nullptr, "msgwnd"));
    const QSize at96 = window.GetWidget()->size();
    window.SetMessageDpi(100);
    EXPECT_TRUE(trace.Contains("MSG_WND DPI SET ERROR"));
    EXPECT_EQ(window.GetMessageDpi(), 96);
    EXPECT_EQ(window.GetWidget()->size(), at96);
    window.SetMessageDpi(144);
    EXPECT_EQ(window.GetMessageDpi(), 144);
    EXPECT_EQ(window.GetWidget()->width(), at96.width() * 3 / 2);
    // The desktop telling of a new DPI resizes the window too.
    window.HandleMessage(ui::WindowMessage{ui::wm::kDpiChanged, 120 | (120 << 16), 0, {}});
    EXPECT_EQ(window.GetMessageDpi(), 120);
    EXPECT_EQ(window.GetWidget()->width(), (at96.width() * 120 + 48) / 96);
}

// Answers the file dialog with a file of the test's choosing.
class ChosenFile : public ui::IFileDialogs {
public:
    std::optional<QString> OpenFile(QWidget*, const QString&, const QString&) override { return file; }
    std::optional<QString> SaveFile(QWidget*, const QString&, const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> file;
};

class SkinTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        QFile::remove(SkinSettingsFile());
        ui::SetFileDialogs(&files_);
    }
    void TearDown() override {
        ui::SetFileDialogs(nullptr);
        MainWindowTest::TearDown();
    }
    ui::CControlUI* Root() { return window_->FindControl("root"); }
    // Opens the pop-up from the caption's button and clicks the `index`th control named `name`.
    void ClickInFrame(const QString& name, int index = 0) {
        testing::Click(window_->FindControl("skinbtn"));
        ASSERT_TRUE(WaitFor([&] { return Frame() != nullptr; }));
        std::vector<ui::CControlUI*> found;
        for (QWidget* child : Frame()->findChildren<QWidget*>()) {
            ui::CControlUI* control = ui::CControlUI::FromWidget(child);
            if (control != nullptr && control->GetName() == name) found.push_back(control);
        }
        ASSERT_GT(found.size(), static_cast<size_t>(index));
        testing::Click(found[static_cast<size_t>(index)]);
    }
    // The shown pop-up: the window with the skin's tabs.
    QWidget* Frame() {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (!window->isVisible()) continue;
            for (QWidget* child : window->findChildren<QWidget*>()) {
                const ui::CControlUI* control = ui::CControlUI::FromWidget(child);
                if (control != nullptr && control->GetName() == "skin_tab") return window;
            }
        }
        return nullptr;
    }
    QString Stored(const char* key) {
        QSettings settings(SkinSettingsFile(), QSettings::IniFormat);
        return settings.value(QStringLiteral("SKINIMAGE/") + key).toString();
    }
    ChosenFile files_;
};

TEST_F(SkinTest, APictureOrAColourReachesTheWindowAndTheNextStart) {
    Open();
    ASSERT_TRUE(window_->FindControl("skinbtn")->IsVisible());
    ClickInFrame("skin_image_btn", 1);
    const QString aurora = "common/skins/aurora.png";
    EXPECT_EQ(Root()->GetBkImage(), aurora);
    EXPECT_EQ(Stored("FLAGS"), "1");
    EXPECT_EQ(Stored("IMAGE"), aurora);
    // Losing the focus closes the pop-up.
    Frame()->hide();
    QApplication::setActiveWindow(window_->GetWidget());
    ASSERT_TRUE(WaitFor([&] { return Frame() == nullptr; }));

    ClickInFrame("skin_color_btn", 2);
    const QColor colour = Root()->GetBkColor();
    EXPECT_TRUE(Root()->GetBkImage().isEmpty());
    EXPECT_EQ(colour.alpha(), 255);
    EXPECT_EQ(Stored("FLAGS"), "2");

    // The next start shows the colour; a reset goes back to the shipped picture.
    window_.reset();
    Open();
    EXPECT_EQ(Root()->GetBkColor(), colour);
    EXPECT_TRUE(Root()->GetBkImage().isEmpty());
    ClickInFrame("skin_reset");
    EXPECT_EQ(Root()->GetBkImage(), kDefaultBackground);
    EXPECT_EQ(Stored("FLAGS"), "0");
}

TEST_F(SkinTest, APictureThatIsGoneOrIsNoPictureLeavesTheBackgroundAsItWas) {
    {
        QSettings settings(SkinSettingsFile(), QSettings::IniFormat);
        settings.setValue("SKINIMAGE/FLAGS", "1");
        settings.setValue("SKINIMAGE/IMAGE", "/nowhere/gone.png");
    }
    TraceCapture trace;
    Open();
    EXPECT_EQ(Root()->GetBkImage(), kDefaultBackground);
    EXPECT_TRUE(Root()->GetBkColor().isValid());

    // A file of the user's that is no picture: refused, with a message; a real one is taken.
    QTemporaryDir folder;
    const QString text = folder.filePath("notes.png");
    {
        QFile file(text);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a picture");
    }
    QStringList told;
    SetMessageAnswerer([&](const QString&, const QString& shown, int) {
        told << shown;
        return CMsgWnd::kConfirmed;
    });
    files_.file = text;
    ClickInFrame("skin_Custom");
    ASSERT_TRUE(WaitFor([&] { return !told.isEmpty(); }));
    EXPECT_TRUE(told[0].contains("notes.png"));
    EXPECT_EQ(Root()->GetBkImage(), kDefaultBackground);

    const QString picture = folder.filePath("mine.png");
    ASSERT_TRUE(QImage(32, 20, QImage::Format_RGB32).save(picture));
    files_.file = picture;
    ClickInFrame("skin_Custom");
    ASSERT_TRUE(WaitFor([&] { return Root()->GetBkImage() == picture; }));
    EXPECT_EQ(Stored("IMAGE"), picture);
    SetMessageAnswerer({});
}

// Tells what it received.
class RecordingReceiver : public ISkinReceiver {
public:
    void Receive(const SkinChangedParam& param) override { received.push_back(param.colourValue); }
    std::vector<QRgb> received;
};

TEST(SkinObserverTest, ReceiversHearInTheOrderTheyCameAndNotAfterLeaving) {
    RecordingReceiver first;
    RecordingReceiver second;
    CSkinObserver& observer = CSkinObserver::Instance();
    const int a = observer.AddReceiver(&first);
    const int b = observer.AddReceiver(&second);
    EXPECT_LT(a, b);
    EXPECT_EQ(observer.AddReceiver(&first), a);
    observer.Broadcast(SkinChangedParam{true, 7, {}});
    observer.RemoveReceiver(&first);
    observer.Broadcast(SkinChangedParam{true, 9, {}});
    observer.RemoveReceiver(&second);
    EXPECT_EQ(first.received, std::vector<QRgb>{7});
    EXPECT_EQ(second.received, (std::vector<QRgb>{7, 9}));
}

class LanguageTest : public MainWindowTest {};

TEST_F(LanguageTest, TheRememberedLanguageIsFoundByItsIdentifierAndAnUnknownOneFallsBackToTheFirst) {
    {
        auto settings = OpenUserSettings();
        settings->remove("LANGUAGE");
    }
    EXPECT_EQ(CLanguages::LoadLanguageChoice(), 0);
    // Applying the first writes its identifier.
    ASSERT_TRUE(CLanguages::ApplyLanguage(0));
    EXPECT_EQ(OpenUserSettings()->value("LANGUAGE").toString(), "1033");
    OpenUserSettings()->setValue("LANGUAGE", "2052");
    EXPECT_EQ(CLanguages::LoadLanguageChoice(), 1);
    OpenUserSettings()->setValue("LANGUAGE", "4242");
    EXPECT_EQ(CLanguages::LoadLanguageChoice(), 0);
    OpenUserSettings()->setValue("LANGUAGE", "zh");
    EXPECT_EQ(CLanguages::LoadLanguageChoice(), 0);
}

TEST_F(LanguageTest, PickingChineseRewordsTheWindowInAFaceWithItsGlyphs) {
    Open();
    auto* combo = window_->FindControlAs<ui::CComboUI>("Language_combox");
    ASSERT_EQ(combo->GetCount(), 2);
    testing::PickComboItem(combo, 1);
    EXPECT_EQ(window_->LanguageIndex(), 1);
    EXPECT_EQ(ui::CResourceManager::Instance().GetLanguage(), "zh");
    EXPECT_EQ(window_->GetPaintManager().GetDefaultFont().family(), "WenQuanYi Micro Hei");
    EXPECT_EQ(OpenUserSettings()->value("LANGUAGE").toString(), "2052");
    testing::PickComboItem(combo, 0);
    EXPECT_EQ(window_->GetPaintManager().GetDefaultFont().family(), "DejaVu Sans");
    EXPECT_EQ(ui::CResourceManager::Instance().GetLanguage(), "en");
}

}  // namespace
}  // namespace velnor7
