#include "editor/tredit.h"

#include "editor/textsearch.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

TREdit::TREdit(QWidget* parent) : QPlainTextEdit(parent)
{
    connect(this, &QPlainTextEdit::textChanged, this, &TREdit::Change);
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, [this] {
        computeLineAndColumn();
        Q_EMIT OnPosChange(m_line, m_column);
    });
}

TREdit::~TREdit() = default;

QString TREdit::rtfText() const { return text(); }

void TREdit::setRtfText(const QString& text) { document()->setPlainText(text); }

void TREdit::setIndentSpace(int spaces)
{
    if (spaces >= 0)
        m_indentSpace = spaces;
}

int TREdit::firstVisibleLine() const { return verticalScrollBar()->value(); }

int TREdit::visibleLineCount() const
{
    if (!isVisible())
        return -1;
    return viewport()->height() / fontMetrics().height();
}

int TREdit::lineCount() const { return document()->blockCount(); }

void TREdit::setTopLine(int line)
{
    line = std::clamp(line, 0, std::max(0, lineCount() - 1));
    verticalScrollBar()->setValue(line);
    Q_EMIT OnScrollV();
}

int TREdit::textLength() const { return document()->characterCount() - 1; }

QString TREdit::text() const
{
    QString raw = document()->toRawText();
    raw.replace(QChar::ParagraphSeparator, u'\n');
    return raw;
}

int TREdit::selStart() const { return textCursor().selectionStart(); }

int TREdit::selLength() const
{
    const QTextCursor c = textCursor();
    return c.selectionEnd() - c.selectionStart();
}

void TREdit::setSelStart(int pos)
{
    QTextCursor c = textCursor();
    c.setPosition(std::clamp(pos, 0, textLength()));
    setTextCursor(c);
}

void TREdit::setSelLength(int length)
{
    QTextCursor c = textCursor();
    const int start = c.selectionStart();
    c.setPosition(start);
    c.setPosition(std::clamp(start + length, 0, textLength()), QTextCursor::KeepAnchor);
    setTextCursor(c);
    ensureCursorVisible();
}

void TREdit::collapseSelection()
{
    setSelStart(selStart());
    ensureCursorVisible();
}

void TREdit::replaceSelection(const QString& text, bool /*canUndo*/)
{
    QTextCursor c = textCursor();
    c.insertText(text);
    setTextCursor(c);
}

void TREdit::clearSelection()
{
    QTextCursor c = textCursor();
    if (c.hasSelection()) {
        c.removeSelectedText();
        setTextCursor(c);
    }
}

int TREdit::findText(const QString& word, int start, int length, FindFlags flags) const
{
    const QString all = document()->toRawText();
    return int(findInText(all, word, start, qsizetype(start) + length,
                          {flags.testFlag(FindWholeWord), flags.testFlag(FindMatchCase)}));
}

void TREdit::setBackgroundColor(TColor color)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Base, Colors::toQColor(color));
    setPalette(pal);
}

void TREdit::setFontColor(TColor color)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Text, Colors::toQColor(color));
    setPalette(pal);
}

void TREdit::setFontName(const QString& name)
{
    if (name.isEmpty())
        return;
    QFont f = font();
    f.setFamily(name);
    setFont(f);
}

void TREdit::computeLineAndColumn()
{
    const QTextCursor c = textCursor();
    const QTextBlock block = document()->findBlock(c.selectionStart());
    m_line = block.blockNumber();
    m_column = c.selectionStart() - block.position();
}

void TREdit::keyPressEvent(QKeyEvent* event)
{
    computeLineAndColumn();
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    if (ctrl) {
        switch (event->key()) {
        case Qt::Key_Up: setTopLine(firstVisibleLine() - 1); return;
        case Qt::Key_Down: setTopLine(firstVisibleLine() + 1); return;
        case Qt::Key_PageUp: setTopLine(firstVisibleLine() - visibleLineCount()); return;
        case Qt::Key_PageDown: setTopLine(firstVisibleLine() + visibleLineCount()); return;
        default: break;
        }
    }
    if (event->key() == Qt::Key_Insert && event->modifiers() == Qt::NoModifier) {
        m_overwrite = !m_overwrite;
        Q_EMIT OnModeChange(m_overwrite);
        setOverwriteMode(m_overwrite);
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TREdit::keyReleaseEvent(QKeyEvent* event)
{
    QPlainTextEdit::keyReleaseEvent(event);
}

void TREdit::scrollContentsBy(int dx, int dy)
{
    QPlainTextEdit::scrollContentsBy(dx, dy);
    if (dy != 0)
        Q_EMIT OnScrollV();
    if (dx != 0)
        Q_EMIT OnScrollH();
}
