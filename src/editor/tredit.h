#pragma once

#include "editor/textsearch.h"
#include "editor/textview.h"
#include "platform/colors.h"

// The editor control of every document: a plain-text view over the text
// store with line and column tracking, Ctrl+arrow/page view scrolling that
// leaves the caret alone, an overwrite flag toggled by Insert, optional soft
// tabs, auto-indent and back-space unindent, and the operations the commands
// use (selection, replace selection, find over a range).
//
// Positions are the store's: UTF-16 units of the text, every line break one
// position, read back as "\n" by text().
//
// Lines are the lines of the text (between breaks), for the caret's line
// and column as for the view's first visible line, line count and top line:
// a document of a gigabyte is never wrapped whole, so wrapped rows are not
// counted. The keyboard's view scrolling moves by rows on screen: Ctrl+Down
// shows the next row, also inside a wrapped line.
class TREdit : public TextView {
    Q_OBJECT
    Q_PROPERTY(QString RTFText READ rtfText WRITE setRtfText)
    Q_PROPERTY(int IndentSpace READ indentSpace WRITE setIndentSpace)
    Q_PROPERTY(bool BackSpaceUnIndent READ backSpaceUnIndent WRITE setBackSpaceUnIndent)
    Q_PROPERTY(bool AutoIndent READ autoIndent WRITE setAutoIndent)

public:
    enum FindFlag { FindWholeWord = 2, FindMatchCase = 4 };
    Q_DECLARE_FLAGS(FindFlags, FindFlag)

    explicit TREdit(QWidget* parent = nullptr);
    ~TREdit() override;

    // Whole content as plain text ("\n" between lines). Reading gives back
    // every character as it was put in; writing replaces the content as a
    // load: the undo history is cleared and caret and view go to the top.
    QString rtfText() const { return text(); }
    void setRtfText(const QString& text) { loadText(text); }
    // Writing the whole content, as a file's text is put into the editor:
    // a load, not an edit (no contentsEdited).
    void loadText(const QString& text) { setText(text); }

    // Soft-tab width; 0 switches soft tabs and unindent off. A negative
    // width is refused and the old value stays.
    int indentSpace() const { return m_indentSpace; }
    void setIndentSpace(int spaces);
    bool backSpaceUnIndent() const { return m_backSpaceUnIndent; }
    void setBackSpaceUnIndent(bool on) { m_backSpaceUnIndent = on; }
    bool autoIndent() const { return m_autoIndent; }
    void setAutoIndent(bool on) { m_autoIndent = on; }

    // The Insert key's mirror of the overwrite state (false at creation).
    bool isOverwriteFlag() const { return m_overwrite; }

    // Line and column of the selection start, zero-based, as last computed
    // (on every selection change and key).
    int currentLine() const { return m_line; }
    int currentColumn() const { return m_column; }

    int firstVisibleLine() const { return int(TextView::firstVisibleLine()); }
    // Rows that fit in the view (view height / font height), or -1 while the
    // control is not visible.
    int visibleLineCount() const { return visibleRowCount(); }
    int lineCount() const { return int(store().lineCount()); }
    // Scrolls so that line's first row is the top one (clamped to 0 .. line
    // count - 1, and to the last full page), leaving the caret where it is,
    // then emits OnScrollV.
    void setTopLine(int line);

    // Text and selection operations.
    int textLength() const { return int(length()); }
    int selStart() const { return int(selectionStart()); }
    int selLength() const { return int(selectionEnd() - selectionStart()); }
    // Puts the caret at pos, collapsing the selection, and shows it.
    void setSelStart(int pos);
    // Extends the selection from its start over length characters and
    // scrolls it into view.
    void setSelLength(int length);
    // Selection length 0, the caret at the former selection's start, shown.
    void collapseSelection();
    // Replaces the selection; afterwards the caret stands after the text and
    // nothing is selected. canUndo false asks for the action not to be
    // undone; the text keeps every change in its undo history anyway,
    // because leaving one out would make undoing the earlier ones land at
    // wrong positions.
    void replaceSelection(const QString& text, bool canUndo);
    // Deletes the selection without touching the clipboard.
    void clearSelection() { deleteSelection(); }
    // First occurrence of word lying wholly inside [start, start + length),
    // or -1; findMatch also gives its length in the text.
    int findText(const QString& word, int start, int length, FindFlags flags) const;
    TextMatch findMatch(const QString& word, qint64 start, qint64 end, TextSearchOptions options) const;

    // Look chosen in the Options dialog.
    void setBackgroundColor(TColor color);
    void setFontColor(TColor color);
    // An empty name leaves the font unchanged.
    void setFontName(const QString& name);

Q_SIGNALS:
    // The text changed (typing, deleting, pasting, undo, replace, load).
    void Change();
    // The selection changed; InRow and InCol as currentLine/currentColumn.
    void OnPosChange(int InRow, int InCol);
    // Insert toggled the overwrite flag.
    void OnModeChange(bool IsStateOverwrite);
    // The view scrolled vertically (scroll bar, wheel, caret, Ctrl keys).
    void OnScrollV();
    // The view scrolled horizontally: never, as lines wrap at the width.
    void OnScrollH();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void computeLineAndColumn();
    void selectionMoved();
    void enforceFontStrategy();

    bool handleViewKey(const QKeyEvent* event);
    bool unindentApplies() const;
    void insertSoftTab();
    void insertAutoIndent();
    void unindent();
    QString indentAbove() const;

    int m_indentSpace = 0;
    bool m_backSpaceUnIndent = false;
    bool m_autoIndent = false;
    bool m_overwrite = false;
    bool m_unindentPending = false;
    bool m_quietScroll = false;
    int m_line = 0;
    int m_column = 0;
    // Counts text changes, so a key handler can tell whether the view's own
    // handling of a key changed the text.
    quint64 m_edits = 0;
    // Last selection told through OnPosChange.
    qint64 m_reportedStart = -1;
    qint64 m_reportedEnd = -1;
    int m_reportedLine = -1;
    int m_reportedColumn = -1;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TREdit::FindFlags)
