#pragma once

#include "platform/colors.h"

#include <QPlainTextEdit>

// The editor control of every document: a plain-text edit with line and
// column tracking, Ctrl+arrow/page view scrolling that leaves the caret
// alone, an overwrite flag toggled by Insert, optional soft tabs,
// auto-indent and back-space unindent, and the operations the commands use
// (selection, replace selection, find over a range).
//
// Positions are cursor positions in the document; the text length is the
// document's character count minus one. Line breaks inside the editor are
// paragraph breaks; text() gives them as "\n".
//
// Two kinds of "line" meet here. The caret's line and column (OnPosChange,
// soft tabs, auto-indent, unindent) count paragraphs, the lines of the file,
// so a column means the same whether or not the paragraph wraps. The view's
// lines (first visible line, line count, visible lines, set top line and the
// Ctrl scrolling) count the rows the user sees, wrapped rows included, so
// Ctrl+Down always moves the view by one row on screen, exactly as a click on
// the scroll bar's arrow does.
class TREdit : public QPlainTextEdit {
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
    // every character as it was put in (no-break spaces, tabs, NUL, U+2028
    // included); only line breaks are normalised: "\r\n", "\r", "\n" and
    // U+2029 each become one line break, read back as "\n". Writing replaces
    // the content, clears the undo history and puts the caret at the top.
    QString rtfText() const;
    void setRtfText(const QString& text) { loadText(text); }
    // Writing the whole content, as a file's text is put into the editor:
    // a load, not an edit.
    void loadText(const QString& text);

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

    // Paragraph and column of the selection start, zero-based, as last
    // computed (on every selection change and key).
    int currentLine() const { return m_line; }
    int currentColumn() const { return m_column; }

    // View rows (see above).
    int firstVisibleLine() const;
    // Rows that fit in the view (view height / font height), or -1 while the
    // control is not visible.
    int visibleLineCount() const;
    int lineCount() const;
    // Scrolls so that line is the top row (clamped to 0 .. line count - 1,
    // and to the last full page), leaving the caret where it is, then emits
    // OnScrollV.
    void setTopLine(int line);

    // Text and selection operations.
    int textLength() const;
    QString text() const;
    int selStart() const;
    int selLength() const;
    // Puts the caret at pos, collapsing the selection.
    void setSelStart(int pos);
    // Extends the selection from its start over length characters and
    // scrolls it into view.
    void setSelLength(int length);
    // Selection length 0, the caret at the former selection's start, shown.
    void collapseSelection();
    // Replaces the selection; afterwards the caret stands after the text and
    // nothing is selected. canUndo false asks for the action not to be
    // undone; the document keeps every change in its undo history anyway,
    // because leaving one out would make undoing the earlier ones land at
    // wrong positions.
    void replaceSelection(const QString& text, bool canUndo);
    // Deletes the selection without touching the clipboard.
    void clearSelection();
    // First occurrence of word lying wholly inside [start, start + length),
    // or -1.
    int findText(const QString& word, int start, int length, FindFlags flags) const;

    // Look chosen in the Options dialog.
    void setBackgroundColor(TColor color);
    void setFontColor(TColor color);
    // An empty name leaves the font unchanged.
    void setFontName(const QString& name);

Q_SIGNALS:
    // The text changed (typing, deleting, pasting, undo, replace, load).
    void Change();
    // Every change of the text but a whole load (setRtfText): charsRemoved
    // characters at position gave way to inserted. Positions and lengths
    // count the text as text() gives it, a line break as one "\n".
    void contentsEdited(int position, int charsRemoved, const QString& inserted);
    // The selection changed; InRow and InCol as currentLine/currentColumn.
    void OnPosChange(int InRow, int InCol);
    // Insert toggled the overwrite flag.
    void OnModeChange(bool IsStateOverwrite);
    // The view scrolled vertically (scroll bar, wheel, caret, Ctrl keys).
    void OnScrollV();
    void OnScrollH();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    QMimeData* createMimeDataFromSelection() const override;

private:
    void computeLineAndColumn();
    void selectionMoved();
    void contentsChanged(int position, int charsRemoved, int charsAdded);
    void reportEdit(int position, int charsAdded);
    QString textBetween(int from, int to) const;
    void keepLongBlockLayouts(int from, int to);
    void enforceFontStrategy();
    void checkUnbrokenRuns(int from, int to);
    void wrapAnywhereFor(QStringView incoming);
    void setWrapAnywhere(bool on);

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
    bool m_settingTopLine = false;
    bool m_loading = false;
    // The text holds a run too long to wrap at word boundaries (see .cpp).
    bool m_wrapAnywhere = false;
    int m_line = 0;
    int m_column = 0;
    // Counts content changes, so a key handler can tell whether the base
    // control's handling of a key changed the text.
    quint64 m_edits = 0;
    // The text's length before the change being reported.
    int m_length = 0;
    // Last selection told through OnPosChange.
    int m_reportedStart = -1;
    int m_reportedEnd = -1;
    int m_reportedLine = -1;
    int m_reportedColumn = -1;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TREdit::FindFlags)
