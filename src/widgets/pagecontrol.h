#pragma once

#include <QTabWidget>

// A page control whose tab side is exposed as "TabPosition" with the
// classic names, so a settings store can keep it.
class TPageControl : public QTabWidget {
    Q_OBJECT
    Q_PROPERTY(TTabPosition TabPosition READ tabSide WRITE setTabSide)

public:
    enum TTabPosition { tpTop, tpBottom, tpLeft, tpRight };
    Q_ENUM(TTabPosition)

    explicit TPageControl(QWidget* parent = nullptr);

    TTabPosition tabSide() const;
    void setTabSide(TTabPosition side);

    // Several rows of tabs. Qt's tab bar keeps one row: in either mode a
    // row longer than the control keeps full captions and scrolls with its
    // arrows, so the setting is only kept.
    bool multiLine() const { return m_multiLine; }
    void setMultiLine(bool on);

private:
    bool m_multiLine = false;
};
