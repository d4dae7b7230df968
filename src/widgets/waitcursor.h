#pragma once

// The hourglass for the life of the object, while the disk is read. Does
// nothing without a QApplication.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    bool m_active = true;
};
