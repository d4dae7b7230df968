#include "codec/editortext.h"

#include <QChar>

namespace {

constexpr char16_t standInHigh = 0xDBFF; // high half of every stand-in
constexpr char16_t standInLowFirst = 0xDFF0;
constexpr char16_t standInLowQuote = 0xDFF3;

bool isStandInLow(char16_t c) { return c >= standInLowFirst && c <= standInLowQuote; }

// What the paragraph-separator and frame stand-ins stand for, by low half.
constexpr char32_t standInMeaning[] = {0x2029, 0xFDD0, 0xFDD1};

}

EditorTextBuilder::EditorTextBuilder(qsizetype capacity, bool byteStandIns)
    : m_text(capacity, Qt::Uninitialized), m_out(reinterpret_cast<char16_t*>(m_text.data())),
      m_byteStandIns(byteStandIns)
{
}

void EditorTextBuilder::putBreakCharacter(char16_t c)
{
    if (c == u'\n' && m_afterCr) {
        // The LF of a CRLF: the CR already made the break.
        m_afterCr = false;
        if (m_breaks == 1)
            m_firstBreak = LineBreak::CRLF;
        ++m_crlfs;
        return;
    }
    *m_out++ = u'\n';
    m_afterCr = c == u'\r';
    if (!m_afterCr)
        ++m_lfs;
    if (m_breaks++ == 0)
        m_firstBreak = m_afterCr ? LineBreak::CR : LineBreak::LF;
}

bool EditorTextBuilder::mixedLineBreaks() const
{
    const qsizetype loneCrs = m_breaks - m_lfs - m_crlfs;
    return int(m_crlfs > 0) + int(m_lfs > 0) + int(loneCrs > 0) > 1;
}

void EditorTextBuilder::putPair(char32_t codePoint)
{
    *m_out++ = QChar::highSurrogate(codePoint);
    *m_out++ = QChar::lowSurrogate(codePoint);
}

void EditorTextBuilder::put(char32_t c)
{
    if (c < 0x80) {
        putAscii(char16_t(c));
        return;
    }
    m_afterCr = false;
    switch (c) {
    case 0x2029: putPair(StandIn::ParagraphSeparator); return;
    case 0xFDD0: putPair(StandIn::FrameStart); return;
    case 0xFDD1: putPair(StandIn::FrameEnd); return;
    default: break;
    }
    if ((c >= StandIn::ParagraphSeparator && c <= StandIn::Quote) || (m_byteStandIns && StandIn::isByte(c)))
        putPair(StandIn::Quote);
    if (c >= 0x10000)
        putPair(c);
    else
        *m_out++ = char16_t(c);
}

void EditorTextBuilder::putInvalidByte(unsigned char byte)
{
    m_afterCr = false;
    *m_out++ = char16_t(StandIn::ByteBase + byte);
}

QString EditorTextBuilder::take()
{
    const qsizetype used = m_out - reinterpret_cast<const char16_t*>(m_text.constData());
    m_text.truncate(used);
    // Text of many multi-byte characters leaves much of the room unused.
    if (m_text.capacity() - used > used / 4)
        m_text.squeeze();
    return std::move(m_text);
}

char32_t FileCharacterReader::next()
{
    const char16_t c = m_p[m_i++];
    if (c == u'\n' || c == 0x2029) {
        ++m_breaks;
        return Break;
    }
    if (m_byteStandIns && StandIn::isByte(c))
        return ByteFlag | (c - StandIn::ByteBase);
    if (!QChar::isHighSurrogate(c) || m_i >= m_n || !QChar::isLowSurrogate(m_p[m_i]))
        return c;
    const char16_t low = m_p[m_i++];
    if (c == standInHigh && isStandInLow(low)) {
        if (low != standInLowQuote)
            return standInMeaning[low - standInLowFirst];
        return afterQuote(StandIn::Quote);
    }
    return QChar::surrogateToUcs4(c, low);
}

// A quote makes the stand-in after it literal; before anything else it is
// just the quote character itself.
char32_t FileCharacterReader::afterQuote(char32_t quote)
{
    if (m_i >= m_n)
        return quote;
    const char16_t c = m_p[m_i];
    if (m_byteStandIns && StandIn::isByte(c)) {
        ++m_i;
        return c;
    }
    if (c == standInHigh && m_i + 1 < m_n && isStandInLow(m_p[m_i + 1])) {
        m_i += 2;
        return QChar::surrogateToUcs4(standInHigh, m_p[m_i - 1]);
    }
    return quote;
}
