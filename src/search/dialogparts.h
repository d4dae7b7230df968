#pragma once

#include <QRect>
#include <QString>

class QLabel;
class QLineEdit;
class QWidget;
class TCheckBox;
class TFlatButton;
class TLabel3D;
class TPanel;

// The parts both search dialogs are built from, placed at their layout
// geometry.
namespace SearchDialogParts {

// The client-aligned panel with a raised outer and a lowered inner bevel.
TPanel* panel(QWidget* form, const char* name, QSize clientSize);
// The 19-pixel bold title with sunken three-dimensional text.
TLabel3D* title(QWidget* parent, const char* name, const QString& caption, QRect geometry);
// A 15-pixel label.
QLabel* label(QWidget* parent, const char* name, const QString& caption, QRect geometry);
// A single-line edit with a 15-pixel font.
QLineEdit* edit(QWidget* parent, const char* name, QRect geometry);
// A 13-pixel check box.
TCheckBox* checkBox(QWidget* parent, const char* name, const QString& caption, QRect geometry);
enum class Glyph { Tick, Cross };
TFlatButton* button(QWidget* parent, const char* name, const QString& caption, Glyph glyph, QRect geometry);

// Labels size themselves to their caption, growing from their left edge,
// so a translated caption is never cut. When the caption would reach past
// rightLimit (the control beside it), the font is made smaller until it fits.
void setCaption(QLabel* label, const QString& caption, int rightLimit = -1);
// The title is sized to its caption and centred in its parent, as it is
// laid out.
void setTitle(TLabel3D* title, const QString& caption);

}
