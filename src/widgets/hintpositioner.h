#pragma once

#include <QPoint>

#include <optional>

// A widget that decides itself where its hint goes (implemented alongside
// QWidget). The hint balloon asks it before placing itself by the pointer.
class HintPositioner {
public:
    virtual ~HintPositioner() = default;
    // The screen point for the hint's top-left corner, for a pointer at
    // globalPos; nullopt to place the hint by the pointer as usual.
    virtual std::optional<QPoint> hintPosition(QPoint globalPos) const = 0;
};
