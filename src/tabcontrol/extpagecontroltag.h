#pragma once

#include "tabcontrol/extpagecontrol.h"

// The coloured-tab page control in which each tab shows the glyph numbered
// by its page's Tag rather than by the page's position.
class TExtPageControlTag : public TExtPageControl {
    Q_OBJECT
public:
    explicit TExtPageControlTag(QWidget* parent = nullptr);

    int GetImageIndex(int pageIndex) const override;
};
