#pragma once
// Input of the test's own in place of the session's: the test presses keys (Linux key codes)
// and clicks buttons, and they reach the handlers as the session's capture would hand them over
// on the UI thread.

#include "platform/InputCapture.h"

#include <memory>
#include <string>

namespace velnor7::testing {

struct FakeInputState {
    bool running = false;
    bool swallowing = false;
    int starts = 0;
    bool refuse = false;  // Start fails, as when another program holds the keyboard
    bool global = true;
    IInputCapture::KeyHandler onKey;
    IInputCapture::ButtonHandler onButton;

    void Key(int linuxKey, bool pressed) {
        if (running) onKey(CapturedKey{pressed, linuxKey});
    }
    void Tap(int linuxKey) {
        Key(linuxKey, true);
        Key(linuxKey, false);
    }
    void Button(int button, bool pressed, int x = 0, int y = 0) {
        if (running) onButton(CapturedButton{pressed, button, x, y});
    }
};

class FakeInputCapture : public IInputCapture {
public:
    explicit FakeInputCapture(std::shared_ptr<FakeInputState> state) : state_(std::move(state)) {}
    ~FakeInputCapture() override { Stop(); }
    bool Start(bool swallowKeys, std::string& reason) override {
        if (state_->refuse) {
            reason = "another program holds the keyboard";
            return false;
        }
        state_->running = true;
        state_->swallowing = swallowKeys;
        ++state_->starts;
        return true;
    }
    void Stop() override { state_->running = false; }
    bool Global() const override { return state_->global; }

private:
    std::shared_ptr<FakeInputState> state_;
};

}  // namespace velnor7::testing
