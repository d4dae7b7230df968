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

    // Whole content as plain text ("\n" between lines).
    QString rtfText() const;
    void setRtfText(const QString& text);

    int indentSpace() const { return m_indentSpace; }
    void setIndentSpace(int spaces);
    bool backSpaceUnIndent() const { return m_backSpaceUnIndent; }
    void setBackSpaceUnIndent(bool on) { m_backSpaceUnIndent = on; }
    bool autoIndent() const { return m_autoIndent; }
    void setAutoIndent(bool on) { m_autoIndent = on; }

    bool isOverwriteFlag() const { return m_overwrite; }

    // Line and column of the selection start, zero-based, as last computed.
    int currentLine() const { return m_line; }
    int currentColumn() const { return m_column; }
    int firstVisibleLine() const;
    // Lines that fit in the view, or -1 while the control is not visible.
    int visibleLineCount() const;
    int lineCount() const;
    // Scrolls so that line is the top line (clamped), then emits OnScrollV.
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
    void collapseSelection();
    // Replaces the selection; afterwards the caret stands after the text and
    // nothing is selected. canUndo false asks for an action not to be undone.
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
    void OnPosChange(int InRow, int InCol);
    void OnModeChange(bool IsStateOverwrite);
    void OnScrollV();
    void OnScrollH();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void computeLineAndColumn();

    int m_indentSpace = 0;
    bool m_backSpaceUnIndent = false;
    bool m_autoIndent = false;
    bool m_overwrite = false;
    int m_line = 0;
    int m_column = 0;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TREdit::FindFlags)
