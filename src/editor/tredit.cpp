#include "editor/tredit.h"

#include <QKeyEvent>
#include <QScopedValueRollback>

#include <algorithm>

namespace {

// Blank for auto-indent: spaces and control characters.
bool isBlankChar(QChar ch) { return ch.unicode() <= u' '; }

} // namespace

TREdit::TREdit(QWidget* parent) : TextView(parent)
{
    enforceFontStrategy();
    connect(this, &TextView::textChanged, this, [this] {
        ++m_edits;
        Q_EMIT Change();
    });
    connect(this, &TextView::selectionChanged, this, &TREdit::selectionMoved);
    connect(this, &TextView::scrolledVertically, this, [this] {
        if (!m_quietScroll)
            Q_EMIT OnScrollV();
    });
}

TREdit::~TREdit() = default;

void TREdit::setIndentSpace(int spaces)
{
    if (spaces >= 0)
        m_indentSpace = spaces;
}

void TREdit::setTopLine(int line)
{
    {
        const QScopedValueRollback quiet(m_quietScroll, true);
        scrollToLine(std::clamp(line, 0, lineCount() - 1));
    }
    Q_EMIT OnScrollV();
}

void TREdit::setSelStart(int pos) { moveCaret(std::clamp<qint64>(pos, 0, length()), false); }

void TREdit::setSelLength(int length)
{
    const qint64 start = selectionStart();
    setSelection(start, std::clamp<qint64>(start + std::max(length, 0), 0, this->length()));
    ensureCaretVisible();
}

void TREdit::collapseSelection()
{
    setCaret(selectionStart());
    ensureCaretVisible();
}

void TREdit::replaceSelection(const QString& text, bool /*canUndo*/) { TextView::replaceSelection(text); }

int TREdit::findText(const QString& word, int start, int length, FindFlags flags) const
{
    return int(findMatch(word, start, qint64(start) + length,
                         {flags.testFlag(FindWholeWord), flags.testFlag(FindMatchCase)})
                   .position);
}

TextMatch TREdit::findMatch(const QString& word, qint64 start, qint64 end, TextSearchOptions options) const
{
    const_cast<TREdit*>(this)->waitUntilLoaded();
    return findInStore(store(), word, start, end, options);
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

void TREdit::changeEvent(QEvent* event)
{
    TextView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        enforceFontStrategy();
}

// Optional typographic shaping (kerning, ligatures) is left out: a plain-text
// editor does not need it, and it is most of the cost of laying out a long
// line. The view still shapes the lines of scripts that cannot be read
// without it (Qt leaves some of them, Arabic among them, unshaped).
void TREdit::enforceFontStrategy()
{
    QFont f = font();
    if (f.styleStrategy() & QFont::PreferNoShaping)
        return;
    f.setStyleStrategy(QFont::StyleStrategy(f.styleStrategy() | QFont::PreferNoShaping));
    setFont(f);
}

void TREdit::computeLineAndColumn()
{
    const qint64 start = selectionStart();
    const qint64 line = store().lineOfPosition(start);
    m_line = int(line);
    m_column = int(start - store().lineStart(line));
}

void TREdit::selectionMoved()
{
    computeLineAndColumn();
    if (selectionStart() == m_reportedStart && selectionEnd() == m_reportedEnd && m_line == m_reportedLine
        && m_column == m_reportedColumn)
        return;
    m_reportedStart = selectionStart();
    m_reportedEnd = selectionEnd();
    m_reportedLine = m_line;
    m_reportedColumn = m_column;
    Q_EMIT OnPosChange(m_line, m_column);
}

// Keys that move the view and not the caret.
bool TREdit::handleViewKey(const QKeyEvent* event)
{
    if (!(event->modifiers() & Qt::ControlModifier))
        return false;
    int rows = 0;
    switch (event->key()) {
    case Qt::Key_Up: rows = -1; break;
    case Qt::Key_Down: rows = 1; break;
    case Qt::Key_PageUp: rows = -visibleLineCount(); break;
    case Qt::Key_PageDown: rows = visibleLineCount(); break;
    default: return false;
    }
    {
        const QScopedValueRollback quiet(m_quietScroll, true);
        scrollByRows(rows);
    }
    Q_EMIT OnScrollV();
    return true;
}

bool TREdit::unindentApplies() const
{
    // Close to the top left of the text there is nothing to unindent.
    if (m_line <= 1 && m_column <= 1)
        return false;
    if (!m_backSpaceUnIndent || m_indentSpace <= 0 || hasSelection() || caretPosition() == 0)
        return false;
    return store().text(caretPosition() - 1, 1) == u" ";
}

// Spaces up to the next multiple of IndentSpace, as space keys would type
// them: the first replaces a selection, and in overwrite mode each one takes
// the place of the character after the caret until the end of the line.
void TREdit::insertSoftTab()
{
    const int count = (m_column / m_indentSpace + 1) * m_indentSpace - m_column;
    const qint64 from = selectionStart();
    qint64 to = selectionEnd();
    if (overwriteMode()) {
        const qint64 lineEnd = store().lineEnd(store().lineOfPosition(to));
        for (int typed = hasSelection() ? 1 : 0; typed < count && to < lineEnd; ++typed)
            to = motion().nextCharacter(to);
    }
    replaceRange(from, to - from, QString(count, u' '), EditKind::Typing);
}

// The leading white space of the nearest non-blank line above the caret's,
// or nothing when only blank ones lie above. Only the start of each line is
// read.
QString TREdit::indentAbove() const
{
    constexpr qint64 Piece = 256;
    for (qint64 line = m_line - 1; line >= 0; --line) {
        const qint64 start = store().lineStart(line);
        const qint64 end = store().lineEnd(line);
        QString lead;
        for (qint64 at = start; at < end; at += Piece) {
            const QString piece = store().text(at, std::min(Piece, end - at));
            const auto firstVisible = std::find_if(piece.cbegin(), piece.cend(), [](QChar ch) { return !isBlankChar(ch); });
            lead += QStringView(piece).first(firstVisible - piece.cbegin());
            if (firstVisible != piece.cend())
                return lead;
        }
    }
    return {};
}

void TREdit::insertAutoIndent()
{
    computeLineAndColumn();
    if (m_line == 0)
        return;
    const QString indent = indentAbove();
    if (indent.isEmpty())
        return;
    TextView::replaceSelection(indent + selectedText(), EditKind::Typing);
}

// After a Backspace over a space: remove further spaces back to the previous
// multiple of IndentSpace, when they are all spaces.
void TREdit::unindent()
{
    computeLineAndColumn();
    const int count = m_column % m_indentSpace;
    if (count == 0)
        return;
    const qint64 from = caretPosition() - count;
    const QString before = store().text(from, count);
    if (!std::all_of(before.begin(), before.end(), [](QChar ch) { return ch == u' '; }))
        return;
    replaceRange(from, count, {}, EditKind::Backspace);
}

void TREdit::keyPressEvent(QKeyEvent* event)
{
    waitIfKeyEdits(event);
    computeLineAndColumn();
    if (handleViewKey(event)) {
        event->accept();
        return;
    }

    const int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool editable = !isReadOnly();

    if (key == Qt::Key_Backspace)
        m_unindentPending = editable && unindentApplies();

    if (key == Qt::Key_Insert && !(mods & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))) {
        m_overwrite = !m_overwrite;
        Q_EMIT OnModeChange(m_overwrite);
        setOverwriteMode(!overwriteMode());
        event->accept();
        return;
    }

    if (key == Qt::Key_Tab && m_indentSpace != 0 && editable
        && !(mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        insertSoftTab();
        event->accept();
        return;
    }

    const bool isReturn = key == Qt::Key_Return || key == Qt::Key_Enter;
    const quint64 editsBefore = m_edits;
    TextView::keyPressEvent(event);

    // What follows the key's own effect. Done here rather than at the key's
    // release: a held key repeats its press but is released only once, and
    // each repeated line break needs its indent.
    const bool changed = m_edits != editsBefore;
    if (isReturn && !(mods & Qt::AltModifier) && m_autoIndent && changed && editable)
        insertAutoIndent();
    if (key == Qt::Key_Backspace && m_unindentPending) {
        m_unindentPending = false;
        if (changed)
            unindent();
    }
}
