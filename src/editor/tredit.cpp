#include "editor/tredit.h"

#include "editor/bytestandins.h"
#include "editor/textsearch.h"

#include <QKeyEvent>
#include <QMetaMethod>
#include <QMimeData>
#include <QPainter>
#include <QPaintEvent>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>

namespace {

// Paragraphs at least this long keep their shaped glyphs after layout.
// Qt otherwise throws them away and shapes the whole paragraph again for
// each caret blink, cursor move and paint; on a single 4 MB line that costs
// hundreds of milliseconds each time. Short paragraphs are cheap to shape
// and not worth the memory.
constexpr int LongBlockLength = 16 * 1024;

// Qt wraps a line at word boundaries, and a word wider than the view
// anywhere; but for that fallback it measures the rest of the word again for
// every row, so a long run without a space costs time in the square of its
// length: 100,000 letters take most of a second, a 4 MB line of base64
// minutes. A text holding a run longer than this is wrapped anywhere
// instead, which costs time in proportion to its length.
constexpr int LongestWordWrappedRun = 4096;

bool hasLongUnbrokenRun(QStringView text)
{
    int run = 0;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator
            || c == QChar::LineSeparator)
            run = 0;
        else if (++run > LongestWordWrappedRun)
            return true;
    }
    return false;
}

// Blank for auto-indent: spaces and control characters.
bool isBlankChar(QChar ch) { return ch.unicode() <= u' '; }

} // namespace

TREdit::TREdit(QWidget* parent) : QPlainTextEdit(parent)
{
    enforceFontStrategy();
    new ByteStandInHighlighter(document());
    connect(this, &QPlainTextEdit::textChanged, this, &TREdit::Change);
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, &TREdit::selectionMoved);
    connect(this, &QPlainTextEdit::selectionChanged, this, &TREdit::selectionMoved);
    connect(document(), &QTextDocument::contentsChange, this, &TREdit::contentsChanged);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (!m_settingTopLine)
            Q_EMIT OnScrollV();
    });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, &TREdit::OnScrollH);
}

TREdit::~TREdit() = default;

QString TREdit::rtfText() const { return text(); }

void TREdit::loadText(const QString& text)
{
    setWrapAnywhere(hasLongUnbrokenRun(text));
    {
        const QScopedValueRollback guard(m_loading, true);
        document()->setPlainText(text);
    }
    // The new content is shown from its start, whatever the old view was.
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
}

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
    const int fontHeight = fontMetrics().height();
    return fontHeight > 0 ? viewport()->height() / fontHeight : 0;
}

// The vertical scroll bar counts rows: a paragraph not laid out yet counts
// as one until it is, the same count QPlainTextEdit scrolls by.
int TREdit::lineCount() const { return std::max(1, document()->lineCount()); }

void TREdit::setTopLine(int line)
{
    line = std::clamp(line, 0, lineCount() - 1);
    {
        const QScopedValueRollback guard(m_settingTopLine, true);
        // The scroll bar stops at the last full page, so the last row never
        // climbs above the bottom of the view.
        verticalScrollBar()->setValue(line);
    }
    Q_EMIT OnScrollV();
}

int TREdit::textLength() const { return document()->characterCount() - 1; }

QString TREdit::text() const
{
    // The raw text, not toPlainText(): that one turns no-break spaces into
    // spaces and would corrupt files.
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
    c.setPosition(std::clamp(start + std::max(length, 0), 0, textLength()), QTextCursor::KeepAnchor);
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
    wrapAnywhereFor(text);
    QTextCursor c = textCursor();
    c.insertText(text);
    c.clearSelection();
    setTextCursor(c);
    ensureCursorVisible();
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
    return int(findInDocument(*document(), word, start, qsizetype(start) + length,
                              {flags.testFlag(FindWholeWord), flags.testFlag(FindMatchCase)})
                   .position);
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
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        enforceFontStrategy();
}

void TREdit::paintEvent(QPaintEvent* event)
{
    QPlainTextEdit::paintEvent(event);
    QPainter painter(viewport());
    const QRectF exposed = event->rect();
    const QPointF offset = contentOffset();
    const QTextCursor selection = textCursor();
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        const QRectF area = blockBoundingGeometry(block).translated(offset);
        if (area.top() > exposed.bottom())
            break;
        const QTextLayout* layout = block.layout();
        if (!block.isVisible() || area.bottom() < exposed.top() || !layout)
            continue;
        const QString text = block.text();
        const int at = block.position();
        ByteStandIns::paint(painter,
                            {layout, text, area.topLeft() + layout->position(), selection.selectionStart() - at,
                             selection.selectionEnd() - at},
                            exposed, palette());
    }
}

// Optional typographic shaping (kerning, ligatures) is left out: a plain-text
// editor does not need it, and it is most of the cost of laying out a long
// line. Scripts that cannot be read without shaping are still shaped.
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
    const QTextCursor c = textCursor();
    const int start = c.selectionStart();
    const QTextBlock block = document()->findBlock(start);
    m_line = block.blockNumber();
    m_column = start - block.position();
}

void TREdit::selectionMoved()
{
    computeLineAndColumn();
    const QTextCursor c = textCursor();
    // cursorPositionChanged and selectionChanged often come together for
    // one change; tell it once.
    if (c.selectionStart() == m_reportedStart && c.selectionEnd() == m_reportedEnd
        && m_line == m_reportedLine && m_column == m_reportedColumn)
        return;
    m_reportedStart = c.selectionStart();
    m_reportedEnd = c.selectionEnd();
    m_reportedLine = m_line;
    m_reportedColumn = m_column;
    Q_EMIT OnPosChange(m_line, m_column);
}

void TREdit::contentsChanged(int position, int /*charsRemoved*/, int charsAdded)
{
    ++m_edits;
    keepLongBlockLayouts(position, position + charsAdded);
    if (!m_loading) {
        checkUnbrokenRuns(position, position + charsAdded);
        reportEdit(position, charsAdded);
    }
    m_length = textLength();
}

// The document's own counts may take in its closing paragraph separator,
// which is not part of the text, and are not always the smallest range. What
// is told is exact: the characters now standing from position on for the
// added ones, and for the removed ones whatever else the length changed by.
void TREdit::reportEdit(int position, int charsAdded)
{
    static const QMetaMethod edited = QMetaMethod::fromSignal(&TREdit::contentsEdited);
    if (!isSignalConnected(edited))
        return; // nobody listens: the inserted text is not worth taking
    const int length = textLength();
    position = std::clamp(position, 0, std::min(m_length, length));
    const QString inserted = textBetween(position, std::min(position + charsAdded, length));
    const int removed = m_length - (length - int(inserted.size()));
    Q_EMIT contentsEdited(position, removed, inserted);
}

QString TREdit::textBetween(int from, int to) const
{
    if (to <= from)
        return {};
    QTextCursor c(document());
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    QString between = c.selectedText();
    between.replace(QChar::ParagraphSeparator, u'\n');
    return between;
}

void TREdit::insertFromMimeData(const QMimeData* source)
{
    if (source && source->hasText())
        wrapAnywhereFor(source->text());
    QPlainTextEdit::insertFromMimeData(source);
}

// The clipboard gets the characters as they stand: Qt's own plain-text copy
// turns no-break spaces into spaces.
QMimeData* TREdit::createMimeDataFromSelection() const
{
    auto* data = new QMimeData;
    QString selected = textCursor().selectedText();
    selected.replace(QChar::ParagraphSeparator, u'\n');
    data->setText(selected);
    return data;
}

// Before a large insertion: switch the wrapping first, so the text is never
// laid out the slow way.
void TREdit::wrapAnywhereFor(QStringView incoming)
{
    if (!m_wrapAnywhere && incoming.size() > LongestWordWrappedRun && hasLongUnbrokenRun(incoming))
        setWrapAnywhere(true);
}

// After any other change, which may have joined two runs (a deleted space
// or line break): look around it. Switching the wrapping lays the document
// out again, which must not happen inside the document's own change
// notification, so it waits for the event loop.
void TREdit::checkUnbrokenRuns(int from, int to)
{
    if (m_wrapAnywhere)
        return;
    QTextCursor around(document());
    around.setPosition(std::max(0, from - LongestWordWrappedRun - 1));
    around.setPosition(std::min(textLength(), to + LongestWordWrappedRun + 1), QTextCursor::KeepAnchor);
    if (hasLongUnbrokenRun(around.selectedText()))
        QMetaObject::invokeMethod(this, [this] { setWrapAnywhere(true); }, Qt::QueuedConnection);
}

// Kept until the next load, which looks at the whole text again.
void TREdit::setWrapAnywhere(bool on)
{
    if (on == m_wrapAnywhere)
        return;
    m_wrapAnywhere = on;
    setWordWrapMode(on ? QTextOption::WrapAnywhere : QTextOption::WrapAtWordBoundaryOrAnywhere);
}

void TREdit::keepLongBlockLayouts(int from, int to)
{
    QTextDocument* doc = document();
    const QTextBlock last = doc->findBlock(std::min(to, doc->characterCount() - 1));
    for (QTextBlock block = doc->findBlock(from); block.isValid(); block = block.next()) {
        if (block.length() >= LongBlockLength)
            block.layout()->setCacheEnabled(true);
        if (block == last)
            break;
    }
}

// Keys that move the view and not the caret.
bool TREdit::handleViewKey(const QKeyEvent* event)
{
    if (!(event->modifiers() & Qt::ControlModifier))
        return false;
    switch (event->key()) {
    case Qt::Key_Up: setTopLine(firstVisibleLine() - 1); return true;
    case Qt::Key_Down: setTopLine(firstVisibleLine() + 1); return true;
    case Qt::Key_PageUp: setTopLine(firstVisibleLine() - visibleLineCount()); return true;
    case Qt::Key_PageDown: setTopLine(firstVisibleLine() + visibleLineCount()); return true;
    default: return false;
    }
}

bool TREdit::unindentApplies() const
{
    // Close to the top left of the text there is nothing to unindent.
    if (m_line <= 1 && m_column <= 1)
        return false;
    const QTextCursor c = textCursor();
    if (!m_backSpaceUnIndent || m_indentSpace <= 0 || c.hasSelection() || c.position() == 0)
        return false;
    return document()->characterAt(c.position() - 1) == u' ';
}

// Spaces up to the next multiple of IndentSpace, typed as space keys would
// be: the first replaces a selection, and in overwrite mode each one takes
// the place of the character after the caret until the end of the line.
void TREdit::insertSoftTab()
{
    const int count = (m_column / m_indentSpace + 1) * m_indentSpace - m_column;
    QTextCursor c = textCursor();
    c.beginEditBlock();
    int typed = 0;
    if (overwriteMode()) {
        for (; typed < count && (c.hasSelection() || !c.atBlockEnd()); ++typed) {
            if (!c.hasSelection())
                c.deleteChar();
            c.insertText(QStringLiteral(" "));
        }
    }
    c.insertText(QString(count - typed, u' '));
    c.endEditBlock();
    setTextCursor(c);
}

// The leading white space of the nearest non-blank paragraph above the
// caret's, or nothing when only blank ones lie above.
QString TREdit::indentAbove() const
{
    for (QTextBlock block = document()->findBlockByNumber(m_line - 1); block.isValid();
         block = block.previous()) {
        const QString line = block.text();
        const auto firstVisible = std::find_if(line.cbegin(), line.cend(),
                                               [](QChar ch) { return !isBlankChar(ch); });
        if (firstVisible != line.cend())
            return line.first(firstVisible - line.cbegin());
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
    replaceSelection(indent + textCursor().selectedText(), false);
}

// After a Backspace over a space: remove further spaces back to the previous
// multiple of IndentSpace, when they are all spaces.
void TREdit::unindent()
{
    computeLineAndColumn();
    const int count = m_column % m_indentSpace;
    if (count == 0)
        return;
    QTextCursor c = textCursor();
    const QString line = c.block().text();
    const QStringView before = QStringView(line).sliced(m_column - count, count);
    if (!std::all_of(before.begin(), before.end(), [](QChar ch) { return ch == u' '; }))
        return;
    c.movePosition(QTextCursor::PreviousCharacter, QTextCursor::KeepAnchor, count);
    c.removeSelectedText();
    setTextCursor(c);
}

void TREdit::keyPressEvent(QKeyEvent* event)
{
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
        // The key goes on to the base control, whose own response to Insert
        // is to switch between inserting and overwriting.
        setOverwriteMode(!overwriteMode());
        QPlainTextEdit::keyPressEvent(event);
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
    if (isReturn && (mods & Qt::ShiftModifier) && !(mods & (Qt::ControlModifier | Qt::AltModifier))) {
        // Shift+Return would put an invisible U+2028 line separator into the
        // paragraph, a character plain-text files do not use; it breaks the
        // line like Return does.
        QKeyEvent plain(event->type(), key, mods & ~Qt::ShiftModifier, event->text(),
                        event->isAutoRepeat(), ushort(event->count()));
        QPlainTextEdit::keyPressEvent(&plain);
        event->setAccepted(plain.isAccepted());
    } else {
        QPlainTextEdit::keyPressEvent(event);
    }

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
