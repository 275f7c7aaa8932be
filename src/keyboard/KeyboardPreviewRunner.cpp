#include "keyboard/KeyboardPreviewRunner.h"

#include "keyboard/PreviewTables.h"

#include <algorithm>
#include <utility>

namespace velnor7 {
namespace {

// The key presses one pass takes at most; a flood from a broken device waits for the next.
constexpr size_t kMaxKeyPressesPerPass = 64;

}  // namespace

KeyboardPreviewRunner::KeyboardPreviewRunner(LedColours& leds, KeyboardPreview::Random random)
    : leds_(leds), engine_(leds, std::move(random)) {}

void KeyboardPreviewRunner::Restart() {
    std::lock_guard lock(requestLock_);
    restart_ = true;
    keyPresses_.clear();
}

void KeyboardPreviewRunner::SetCustomColours(std::vector<Rgb> colours) {
    std::lock_guard lock(requestLock_);
    customColours_ = std::move(colours);
    customColoursChanged_ = true;
}

void KeyboardPreviewRunner::PostKeyEvent(KeyIndex key, bool pressed) {
    std::lock_guard lock(requestLock_);
    if (keyPresses_.size() < 4 * kMaxKeyPressesPerPass) keyPresses_.push_back(KeyPress{key, pressed});
}

void KeyboardPreviewRunner::StartMode(uint8_t mode, bool clearTouch) {
    leds_.Fill(LedState{});
    engine_.ResetPreview();
    engine_.InitPreview(mode);
    if (clearTouch) engine_.ClearKeyTouch();
    if (mode == KeyboardPreview::kCustomColourMode) ShowCustomColours();
    startedMode_ = mode;
    ticks_ = 0;
}

void KeyboardPreviewRunner::ShowCustomColours() {
    std::lock_guard lock(requestLock_);
    customColoursChanged_ = false;
    for (size_t key = 0; key < customColours_.size(); ++key) {
        leds_.Set(static_cast<int>(key), LedState{customColours_[key], 0});
    }
}

int KeyboardPreviewRunner::Pass(const PreviewLight& light, uint64_t nowMs) {
    const uint8_t mode = light.lighting.mode;
    bool restart = false;
    bool recolour = false;
    {
        std::lock_guard lock(requestLock_);
        restart = std::exchange(restart_, false);
        recolour = customColoursChanged_;
        const size_t taken = std::min(keyPresses_.size(), kMaxKeyPressesPerPass);
        takenPresses_.assign(keyPresses_.begin(), keyPresses_.begin() + static_cast<std::ptrdiff_t>(taken));
        keyPresses_.erase(keyPresses_.begin(), keyPresses_.begin() + static_cast<std::ptrdiff_t>(taken));
    }
    // Every change of mode starts the mode over, whoever changed it.
    if (restart || startedMode_ != mode) StartMode(mode, restart);
    // Keys painted while the custom mode runs show at once.
    else if (recolour && mode == KeyboardPreview::kCustomColourMode) ShowCustomColours();
    for (const KeyPress& press : takenPresses_) engine_.KeyEvent(light, press.key, press.pressed);

    if (!lastTickMs_ || nowMs > *lastTickMs_ + kMaxCatchUpTicks * kTickMs) lastTickMs_ = nowMs;
    const std::optional<int> period = PreviewPeriodTicks(mode, light.lighting.speed);
    const bool animatedAreas = areas_.Animated();
    bool painted = false;
    // A tick needs the clock to have moved by more than 1 ms since the last one.
    while (nowMs > *lastTickMs_ + 1) {
        *lastTickMs_ += kTickMs;
        painted |= TickPass(light, period, *lastTickMs_);
        if (animatedAreas) areas_.Pass(leds_, *lastTickMs_);
    }
    // Areas that stay as they are need painting only over what changed under them.
    if (painted && !animatedAreas) areas_.Pass(leds_, nowMs);
    return kFrameMs;
}

bool KeyboardPreviewRunner::TickPass(const PreviewLight& light, std::optional<int> period, uint64_t tickMs) {
    if (!period) {
        playback_.Pass(leds_, light.lighting.speed, tickMs);
        return true;
    }
    ticks_ = std::min(ticks_ + 1, *period);
    if (ticks_ < *period) return false;
    engine_.StepPreview(light, tickMs);
    ticks_ = 0;
    return true;
}

}  // namespace velnor7
