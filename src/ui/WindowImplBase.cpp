#include "ui/WindowImplBase.h"

#include "common/Trace.h"
#include "ui/ContainerUI.h"
#include "ui/ResourceManager.h"
#include "ui/WindowWidget.h"

#include <QVBoxLayout>

namespace velnor7::ui {

WindowImplBase::WindowImplBase() = default;

WindowImplBase::~WindowImplBase() {
    m_pm.AttachDialog(nullptr);
    delete root_;
}

CControlUI* WindowImplBase::CreateControl(const QString& className) {
    (void)className;
    return nullptr;
}

void WindowImplBase::InitialiseHidden() {
    if (initSent_ || GetWidget() == nullptr) return;
    initSent_ = true;
    // From the event loop: after a show has finished, as a window expects its first paint.
    const WindowHandle handle = GetHWND();
    QMetaObject::invokeMethod(
        GetWidget(),
        [this, handle] {
            if (handle == GetHWND() && root_ != nullptr) root_->SendNotify("windowinit");
        },
        Qt::QueuedConnection);
}

void WindowImplBase::OnCreate() {
    QWidget* window = GetWidget();
    m_pm.SetPaintWindow(window);
    CDialogBuilder builder;
    const QString xml = GetSkinXml();
    root_ = xml.isEmpty() ? builder.Create(GetSkinFile(), this, &m_pm)
                          : builder.CreateFromString(xml, this, &m_pm, nullptr, GetWindowClassName());
    if (root_ == nullptr) {
        Trace("ui: window %s has no layout; it shows empty", qUtf8Printable(GetWindowClassName()));
        root_ = new CVerticalLayoutUI;
    }
    layoutInfo_ = builder.GetWindowInfo();

    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(root_->GetWidget());
    if (layoutInfo_.bkColor.isValid()) {
        window->setStyleSheet(QString("WindowWidget{background-color:%1;}").arg(layoutInfo_.bkColor.name(QColor::HexArgb)));
    }
    if (!layoutInfo_.title.isEmpty()) window->setWindowTitle(CResourceManager::Instance().TextOrSelf(layoutInfo_.title));
    if (auto* widget = dynamic_cast<WindowWidget*>(window)) widget->SetSizeBox(layoutInfo_.sizeBox);
    m_pm.AttachDialog(root_);
    m_pm.AddNotifier(this);
    ApplyWindowSize();
    InitWindow();
}

void WindowImplBase::ApplyWindowSize() {
    QWidget* window = GetWidget();
    if (window == nullptr) return;
    if (auto* widget = dynamic_cast<WindowWidget*>(window)) widget->SetCaptionHeight(Scale(layoutInfo_.captionHeight));
    auto scaled = [this](QSize size) { return QSize(Scale(size.width()), Scale(size.height())); };
    if (layoutInfo_.minSize.isValid() && !layoutInfo_.minSize.isEmpty()) window->setMinimumSize(scaled(layoutInfo_.minSize));
    if (layoutInfo_.maxSize.isValid() && !layoutInfo_.maxSize.isEmpty()) window->setMaximumSize(scaled(layoutInfo_.maxSize));
    if (layoutInfo_.size.isValid() && !layoutInfo_.size.isEmpty()) window->resize(scaled(layoutInfo_.size));
}

void WindowImplBase::SetDPI(int dpi) {
    m_pm.SetDPI(dpi);
    ApplyWindowSize();
}

long WindowImplBase::MessageHandler(const WindowMessage& message, bool& handled) {
    (void)message;
    handled = false;
    return 0;
}

long WindowImplBase::HandleMessage(const WindowMessage& message) {
    bool handled = false;
    const long result = MessageHandler(message, handled);
    if (handled) return result;
    switch (message.id) {
    case wm::kShowWindow:
        if (message.wParam != 0) InitialiseHidden();
        break;
    case wm::kSize:
        if (root_ != nullptr) root_->SendNotify("windowsize", 0, message.lParam);
        break;
    case wm::kDestroy:
        m_pm.AttachDialog(nullptr);
        m_pm.RemoveNotifier(this);
        delete root_;
        root_ = nullptr;
        break;
    default:
        break;
    }
    return CWindowWnd::HandleMessage(message);
}

}  // namespace velnor7::ui
