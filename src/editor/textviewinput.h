#pragma once

#include <QVariant>

class QInputMethodEvent;
class QKeyEvent;
class TextView;

// What keys and input methods do in a TextView: moving the caret and the
// selection, the editing keys, typed and composed text.
class TextViewInput {
public:
    explicit TextViewInput(TextView& view) : m_view(view) {}

    // Whether the editor uses the key (so no shortcut of the window takes it).
    static bool isEditorKey(const QKeyEvent* event);
    // False when the key is not the editor's.
    bool keyPress(QKeyEvent* event);
    // Whether the key may change the text (typing, deleting, a line break,
    // a tab, undo, cut, paste), so that a load still running must end first.
    static bool mayEdit(const QKeyEvent* event);

    void inputMethod(QInputMethodEvent* event);
    // An invalid QVariant for what the view does not answer itself.
    QVariant query(Qt::InputMethodQuery query) const;

private:
    bool moveKey(QKeyEvent* event);
    bool editKey(QKeyEvent* event);
    void pageMove(int direction, bool extend);

    TextView& m_view;
};
