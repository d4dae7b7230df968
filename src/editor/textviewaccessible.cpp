#include "editor/textviewaccessible.h"

#include "editor/textview.h"

#include <QTextBoundaryFinder>

#include <algorithm>

namespace {

// Words and sentences are looked for in this much of the line either side.
constexpr qint64 Around = 4096;

// Larger texts give no whole value: a screen reader reads them through the
// text interface, a line at a time.
constexpr qint64 LargestValue = 1 << 20;

QAccessibleInterface* factory(const QString& className, QObject* object)
{
    Q_UNUSED(className);
    if (auto* view = qobject_cast<TextView*>(object))
        return new TextViewAccessible(view);
    return nullptr;
}

} // namespace

TextViewAccessible::TextViewAccessible(TextView* view) : QAccessibleWidget(view, QAccessible::EditableText) {}

void TextViewAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(installed);
}

TextView* TextViewAccessible::view() const { return static_cast<TextView*>(widget()); }

void* TextViewAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    if (type == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State TextViewAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.editable = view()->editable();
    s.readOnly = !view()->editable();
    s.multiLine = true;
    s.selectableText = true;
    return s;
}

QString TextViewAccessible::text(QAccessible::Text which) const
{
    if (which == QAccessible::Value)
        return view()->length() <= LargestValue ? view()->text() : QString();
    return QAccessibleWidget::text(which);
}

void TextViewAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex == 0 && view()->hasSelection()) {
        *startOffset = int(view()->selectionStart());
        *endOffset = int(view()->selectionEnd());
    }
}

int TextViewAccessible::selectionCount() const { return view()->hasSelection() ? 1 : 0; }

void TextViewAccessible::addSelection(int startOffset, int endOffset) { setSelection(0, startOffset, endOffset); }

void TextViewAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        view()->setCaret(view()->caretPosition());
}

void TextViewAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex == 0)
        view()->setSelection(startOffset, endOffset);
}

int TextViewAccessible::cursorPosition() const { return int(view()->caretPosition()); }

void TextViewAccessible::setCursorPosition(int position) { view()->setCaret(position); }

QString TextViewAccessible::text(int startOffset, int endOffset) const
{
    const qint64 length = view()->length();
    const qint64 start = std::clamp<qint64>(startOffset, 0, length);
    const qint64 end = endOffset < 0 ? length : std::clamp<qint64>(endOffset, start, length);
    return view()->store().text(start, end - start);
}

int TextViewAccessible::characterCount() const { return int(view()->length()); }

std::pair<qint64, qint64> TextViewAccessible::unitAt(qint64 offset, QAccessible::TextBoundaryType type) const
{
    TextView* v = view();
    const TextStore& store = v->store();
    offset = std::clamp<qint64>(offset, 0, store.length());
    const qint64 line = store.lineOfPosition(offset);
    const qint64 lineStart = store.lineStart(line);
    const qint64 lineEnd = store.lineEnd(line);
    switch (type) {
    case QAccessible::CharBoundary: return {offset, std::max(offset, v->motion().nextCharacter(offset))};
    case QAccessible::LineBoundary: {
        // The row on screen, with what ends it (a wrap or the line's break).
        LineLayouts::Row row = v->layouts().rowOf(offset);
        const qint64 start = v->layouts().rowStart(row);
        return {start, v->layouts().next(row) ? v->layouts().rowStart(row) : store.length()};
    }
    case QAccessible::ParagraphBoundary: return {lineStart, std::min(lineEnd + 1, store.length())};
    case QAccessible::NoBoundary: return {0, store.length()};
    case QAccessible::WordBoundary:
    case QAccessible::SentenceBoundary: break;
    }
    const qint64 from = std::max(lineStart, offset - Around);
    const qint64 to = std::min(lineEnd, offset + Around);
    const QString piece = store.text(from, to - from);
    if (offset >= lineEnd) // the line's break, a unit of its own
        return {offset, std::min(offset + 1, store.length())};
    QTextBoundaryFinder finder(type == QAccessible::WordBoundary ? QTextBoundaryFinder::Word
                                                                 : QTextBoundaryFinder::Sentence,
                               piece);
    finder.setPosition(int(offset - from));
    const qsizetype start = finder.isAtBoundary() ? finder.position() : finder.toPreviousBoundary();
    finder.setPosition(int(offset - from));
    const qsizetype end = finder.toNextBoundary();
    return {from + std::max<qsizetype>(start, 0), end < 0 ? to : from + end};
}

QString TextViewAccessible::answer(std::pair<qint64, qint64> range, int* startOffset, int* endOffset) const
{
    *startOffset = int(range.first);
    *endOffset = int(range.second);
    return view()->store().text(range.first, range.second - range.first);
}

QString TextViewAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                                         int* endOffset) const
{
    return answer(unitAt(offset, boundaryType), startOffset, endOffset);
}

QString TextViewAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                             int* startOffset, int* endOffset) const
{
    const qint64 start = unitAt(offset, boundaryType).first;
    if (start <= 0) {
        *startOffset = *endOffset = -1;
        return {};
    }
    return answer(unitAt(start - 1, boundaryType), startOffset, endOffset);
}

QString TextViewAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                            int* startOffset, int* endOffset) const
{
    const qint64 end = unitAt(offset, boundaryType).second;
    if (end >= view()->length()) {
        *startOffset = *endOffset = -1;
        return {};
    }
    return answer(unitAt(end, boundaryType), startOffset, endOffset);
}

QRect TextViewAccessible::characterRect(int offset) const
{
    TextView* v = view();
    const QRect at = v->cursorRect(offset);
    const QRect next = v->cursorRect(v->motion().nextCharacter(offset));
    const int width = next.y() == at.y() && next.x() > at.x() ? next.x() - at.x() : v->fontMetrics().averageCharWidth();
    const QRect inViewport(at.x(), at.y(), width, at.height());
    return inViewport.translated(v->viewport()->mapToGlobal(QPoint(0, 0)));
}

int TextViewAccessible::offsetAtPoint(const QPoint& point) const
{
    TextView* v = view();
    const QPoint local = v->viewport()->mapFromGlobal(point);
    if (!v->viewport()->rect().contains(local))
        return -1;
    return int(v->positionAt(local));
}

void TextViewAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    TextView* v = view();
    const QRect start = v->cursorRect(startIndex);
    if (start.top() < 0 || start.bottom() > v->viewport()->height())
        v->scrollToPosition(startIndex);
    Q_UNUSED(endIndex);
}

QString TextViewAccessible::attributes(int offset, int* startOffset, int* endOffset) const
{
    Q_UNUSED(offset);
    // One run over the whole text: a plain text has one font and colour.
    *startOffset = 0;
    *endOffset = characterCount();
    const QFont f = view()->font();
    return QStringLiteral("font-family:\"%1\";font-size:%2pt;").arg(f.family()).arg(f.pointSizeF());
}

void TextViewAccessible::deleteText(int startOffset, int endOffset) { replaceText(startOffset, endOffset, {}); }

void TextViewAccessible::insertText(int offset, const QString& text) { replaceText(offset, offset, text); }

void TextViewAccessible::replaceText(int startOffset, int endOffset, const QString& text)
{
    TextView* v = view();
    if (!v->editable())
        return;
    const qint64 start = std::clamp<qint64>(startOffset, 0, v->length());
    const qint64 end = std::clamp<qint64>(endOffset, start, v->length());
    v->replaceRange(start, end - start, text);
}
