#pragma once

class QLabel;
class QString;
class QWidget;

// Gives a control the accessible name of the label beside it (without
// mnemonic marks or trailing blanks) and makes the label its buddy, which
// is how screen readers on Linux learn a combo box's label (Qt names a combo
// box there by its value). An optional description tells which group the
// control belongs to.
void nameAfterLabel(QWidget* control, QLabel* label, const QString& group);
void nameAfterLabel(QWidget* control, QLabel* label);
