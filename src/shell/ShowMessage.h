#pragma once
// Every question and notice of the program: the program's message window, modal to its owner.

#include "shell/MsgWnd.h"

#include <QString>

#include <functional>
#include <optional>

namespace velnor7 {

namespace ui {
class CWindowWnd;
class WindowImplBase;
}

// The code the window closed with: 1 confirmed, 0 cancelled or closed. `title` and `text`
// may be language ids; an empty title keeps the window's own. `buttons`: 0 confirm only,
// 1 confirm and cancel.
int ShowMessage(ui::CWindowWnd* parent, const QString& title, const QString& text, int dpi = CMsgWnd::kDefaultDpi,
                bool htmlText = false, int buttons = CMsgWnd::kConfirmOnly);

// A question with confirm and cancel from `parent`, at its DPI: true when confirmed.
bool AskUser(ui::WindowImplBase& parent, const QString& text);
// A notice from `parent`, at its DPI.
void TellUser(ui::WindowImplBase& parent, const QString& text);

// What a page's macro write returned, told from `parent` when it failed (-1: not written;
// n > 0: too big for the device's memory). True when the macros were written.
bool TellMacroWriteResult(ui::WindowImplBase& parent, int written);

// The current language's text of `textId`, with "%d" replaced by `number` and "%s" by `name`.
QString MessageText(const QString& textId, std::optional<int> number = std::nullopt, const QString& name = {});

// Answers in the user's place instead of showing the window (tests): gets the title and text
// as shown and the buttons, returns the code. An empty function shows the window again.
using MessageAnswerer = std::function<int(const QString& title, const QString& text, int buttons)>;
void SetMessageAnswerer(MessageAnswerer answerer);

}  // namespace velnor7
