#pragma once

#include "platform/colors.h"

#include <QComboBox>

// A drop-down of the sixteen basic colours, each drawn as a swatch and its
// name. ColorValue set by program code selects silently; a user's pick
// emits Click after ColorValue has taken the picked colour.
class TColorComboBox : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(int ColorValue READ colorValue WRITE setColorValue)

public:
    struct NamedColor {
        const char* name; // symbolic name, e.g. "clMaroon"
        TColor value;
    };
    static const std::array<NamedColor, 16>& basicColors();
    // The name shown for a colour: its symbolic name without the "cl" prefix.
    static QString displayName(const NamedColor& color);

    explicit TColorComboBox(QWidget* parent = nullptr);

    TColor colorValue() const { return m_value; }
    // Selects the matching item (none for a colour outside the list) without
    // emitting Click.
    void setColorValue(TColor value);

Q_SIGNALS:
    void Click();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TColor m_value = Colors::clBlack;
};
