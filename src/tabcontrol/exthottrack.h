#pragma once

#include "platform/colors.h"

#include <QObject>

// Hot-tracking settings of a coloured-tab page control: the caption colour
// of the tab under the mouse, one for the active tab and one for the
// others. clNone switches the highlight off for that kind of tab. Owned by
// the control, which repaints when a published field changes.
class TExtHottrack : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Enabled READ enabled WRITE setEnabled)
    Q_PROPERTY(int TabActiveColor READ tabActiveColor WRITE setTabActiveColor)
    Q_PROPERTY(int TabInactiveColor READ tabInactiveColor WRITE setTabInactiveColor)

public:
    explicit TExtHottrack(QObject* parent = nullptr);

    bool enabled() const { return m_enabled; }
    void setEnabled(bool on);
    TColor tabActiveColor() const { return m_activeColor; }
    void setTabActiveColor(TColor color);
    TColor tabInactiveColor() const { return m_inactiveColor; }
    void setTabInactiveColor(TColor color);

    // The tab under the mouse, -1 for none (not published).
    int HotIndex = -1;

Q_SIGNALS:
    void changed();

private:
    bool m_enabled = false;
    TColor m_activeColor = Colors::clHighlight;
    TColor m_inactiveColor = Colors::clHighlight;
};
