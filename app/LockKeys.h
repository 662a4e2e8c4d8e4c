#pragma once

#include <optional>

// The state of the three lock keys, where the window system tells it (X11);
// nothing elsewhere (Wayland, the headless platform).
struct LockKeyState {
    bool caps = false;
    bool num = false;
    bool scroll = false;
};

std::optional<LockKeyState> QueryLockKeys();
