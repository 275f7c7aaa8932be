// Drives the keyboard's preview on its own thread: paces the mode's steps in clock ticks,
// plays the light preset for modes without an effect of their own, paints the area
// effects over both, and takes what other threads asked for (a restart after a change of
// lighting, the keys pressed on the keyboard) at the start of its next pass. Only the
// preview thread touches the engine, so it needs no lock; the requests have one.
#pragma once

#include "core/LedColours.h"
#include "keyboard/AreaOverlay.h"
#include "keyboard/KeyboardPreview.h"
#include "keyboard/LightPresetPlayback.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

namespace velnor7 {

class KeyboardPreviewRunner {
public:
    // A tick is counted when the clock has moved by more than 1 ms.
    static constexpr int kTickMs = 2;
    // How often the page shows the preview: 20 frames a second, which keep a full-keyboard
    // effect smooth enough on screen at under 3 % of a core. The thread wakes as often and runs
    // the ticks that passed meanwhile in one go, with the same result as a wake-up per tick.
    static constexpr int kFrameMs = 50;
    // After a longer pause (detached, synchronised, not shown) the preview goes on from now
    // instead of running every tick it missed.
    static constexpr int kMaxCatchUpTicks = 64;

    KeyboardPreviewRunner(LedColours& leds, KeyboardPreview::Random random);

    // Any thread. The lighting changed: the next pass starts the mode over, with every LED
    // dark (the custom colours in the custom mode) and no key held.
    void Restart();
    // The colours the custom mode shows, per key: from its start, or from the next pass while
    // it runs.
    void SetCustomColours(std::vector<Rgb> colours);
    void PostKeyEvent(KeyIndex key, bool pressed);
    LightPresetPlayback& Playback() { return playback_; }
    AreaOverlay& Areas() { return areas_; }

    // The preview thread at `nowMs`: one pass per tick since the last call (each stepping the
    // mode when its period is up, or playing the preset), then the area effects. Returns the
    // milliseconds until the next call.
    int Pass(const PreviewLight& light, uint64_t nowMs);
    KeyboardPreview& Engine() { return engine_; }
    int Ticks() const { return ticks_; }

private:
    struct KeyPress {
        KeyIndex key;
        bool pressed;
    };
    void StartMode(uint8_t mode, bool clearTouch);
    void ShowCustomColours();
    // One tick's pass at `tickMs`; true when it changed the LEDs.
    bool TickPass(const PreviewLight& light, std::optional<int> period, uint64_t tickMs);

    LedColours& leds_;
    KeyboardPreview engine_;
    LightPresetPlayback playback_;
    AreaOverlay areas_;

    std::mutex requestLock_;  // guards what other threads ask for
    bool restart_ = false;
    std::vector<KeyPress> keyPresses_;
    std::vector<Rgb> customColours_;
    bool customColoursChanged_ = false;  // the custom mode shows them at the next pass

    // The preview thread's.
    std::optional<uint8_t> startedMode_;
    std::vector<KeyPress> takenPresses_;
    std::optional<uint64_t> lastTickMs_;
    int ticks_ = 0;
};

}  // namespace velnor7
