#pragma once
// The record and stop buttons of the macro editor: plain buttons that also take a
// "redioimage", the mark drawn before their text.

#include "ui/ButtonUI.h"

namespace velnor7 {

class CRedioMacroButtonUI : public ui::CButtonUI {
public:
    QString GetClass() const override;
    bool SetAttribute(const QString& name, const QString& value) override;
};

}  // namespace velnor7
