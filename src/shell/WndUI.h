#pragma once
// A place on the window for a widget the program owns (a native window, a video view, a
// browser): the hosted widget is kept on the control's rectangle and shown only while the
// control is shown. A top-level hosted widget is placed in screen coordinates.

#include "ui/ControlUI.h"

#include <QPointer>

#include <vector>

namespace velnor7 {

class CWndUI : public ui::CControlUI {
public:
    CWndUI();
    // The hosted widget stays the program's; it is hidden, since its place is gone.
    ~CWndUI() override;
    QString GetClass() const override;

    // Hosts `widget` instead of the one hosted before (which is left where it is).
    void Attach(QWidget* widget);
    // Stops following the control and gives the hosted widget back (null when there was none
    // or it was deleted).
    QWidget* Detach();
    QWidget* GetHostedWidget() const { return hosted_.data(); }

private:
    // Puts the hosted widget on the control's rectangle and shows or hides it with the control.
    void PlaceHosted();
    // Moves of any widget above the control move the control on the screen without telling it.
    void FollowAncestors();
    void StopFollowingAncestors();

    QPointer<QWidget> hosted_;
    std::vector<QPointer<QWidget>> followed_;
};

}  // namespace velnor7
