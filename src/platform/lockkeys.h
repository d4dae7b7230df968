#pragma once

#include <optional>

// The keyboard's lock-key states. Known only on X11 (XKB indicators); on
// other platforms (offscreen, Wayland) every state is unknown.
struct LockKeyStates {
    std::optional<bool> capsLock;
    std::optional<bool> numLock;
    std::optional<bool> scrollLock;
};

LockKeyStates readLockKeyStates();
