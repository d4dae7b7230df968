#include "text/textchunk.h"

#include <atomic>

namespace {
std::atomic<quint64> lastSerial{0};
}

TextChunk TextChunk::from(QByteArray bytes)
{
    const TextBytes::Metrics m = TextBytes::measure(bytes);
    TextChunk c{std::move(bytes), qint32(m.units), qint32(m.breaks), m.ascii, m.valid, 0};
    c.renew();
    return c;
}

TextChunk TextChunk::part(qsizetype from, qsizetype to) const
{
    if (!valid)
        return TextChunk::from(bytes.mid(from, to - from));
    // Part of valid text is valid: no need to check it again.
    QByteArray b = bytes.mid(from, to - from);
    const TextBytes::Metrics m = TextBytes::measurePrefix(b, b.size(), true);
    TextChunk c{std::move(b), qint32(m.units), qint32(m.breaks), m.ascii, true, 0};
    c.renew();
    return c;
}

void TextChunk::append(const TextChunk& other)
{
    bytes.append(other.bytes);
    units += other.units;
    breaks += other.breaks;
    ascii = ascii && other.ascii;
    valid = valid && other.valid;
    renew();
}

void TextChunk::renew() { serial = ++lastSerial; }

void TextFragment::append(TextChunk chunk, qsizetype maxBytes)
{
    if (chunk.bytes.isEmpty())
        return;
    if (!chunks.empty()) {
        TextChunk& last = chunks.back();
        if (last.size() + chunk.size() <= maxBytes && TextBytes::cleanJunction(last.bytes, chunk.bytes)) {
            units += chunk.units;
            breaks += chunk.breaks;
            last.append(chunk);
            return;
        }
    }
    appendWhole(std::move(chunk));
}

void TextFragment::appendWhole(TextChunk chunk)
{
    if (chunk.bytes.isEmpty())
        return;
    units += chunk.units;
    breaks += chunk.breaks;
    chunks.push_back(std::move(chunk));
}

void TextFragment::append(TextFragment&& other, qsizetype maxBytes)
{
    for (TextChunk& c : other.chunks)
        append(std::move(c), maxBytes);
    other = TextFragment();
}

void TextFragment::prepend(TextFragment&& other, qsizetype maxBytes)
{
    other.append(std::move(*this), maxBytes);
    *this = std::move(other);
}

QString TextFragment::text() const
{
    QString out;
    out.reserve(units);
    for (const TextChunk& c : chunks)
        TextBytes::appendText(c.bytes, out);
    return out;
}
