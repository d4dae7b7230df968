#pragma once

#include <QString>

// Holds the lock that every program of this user takes while it reads,
// merges and writes a settings file, so that two programs never write it
// at once and none writes over what another just saved. The lock is taken
// on the folder that holds the file (a lock file beside it could not be made
// in a read-only folder); it is advisory, and the system drops it when its
// holder ends. A lock that stays held longer than waitMs (a program stopped
// in a debugger) is not waited for: the write goes ahead without it.
class SettingsFileLock {
public:
    explicit SettingsFileLock(const QString& settingsPath, int waitMs = 2000);
    ~SettingsFileLock();
    SettingsFileLock(const SettingsFileLock&) = delete;
    SettingsFileLock& operator=(const SettingsFileLock&) = delete;

    bool isHeld() const { return m_held; }

private:
    int m_fd = -1;
    bool m_held = false;
};
