#pragma once

#include <QStatusBar>

// The status bar, with "Visible" as its own shown flag for a settings store.
class TStatusBar : public QStatusBar {
    Q_OBJECT
    Q_PROPERTY(bool Visible READ isVisibleFlag WRITE setVisible)
public:
    using QStatusBar::QStatusBar;
    bool isVisibleFlag() const { return !isHidden(); }
};
