#include "editor/textsearch.h"

#include "editor/searchrules.h"
#include "text/textstore.h"

#include <QChar>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <vector>

// The search over a store reads the chunks' UTF-8 bytes where they lie, never
// a copy of the text. A cheap filter finds the bytes at which the word may
// start; each of them is then read token by token, as the text reads, and
// compared character against character. Positions are worked out only for
// the match found.

namespace {

using uchar = unsigned char;
using SearchRules::isWordChar;
using SearchRules::ParagraphSeparator;

// One character of the word as it is compared.
struct WordChar {
    char32_t character = 0; // folded without match case
    bool lineBreak = false; // any line break of the text, or U+2029
};

// A code point's UTF-8 form.
struct Utf8 {
    char bytes[4];
    int size;
    QByteArrayView view() const { return {bytes, size}; }
};

Utf8 utf8(char32_t cp)
{
    if (cp < 0x80)
        return {{char(cp)}, 1};
    if (cp < 0x800)
        return {{char(0xC0 | (cp >> 6)), char(0x80 | (cp & 0x3F))}, 2};
    if (cp < 0x10000)
        return {{char(0xE0 | (cp >> 12)), char(0x80 | ((cp >> 6) & 0x3F)), char(0x80 | (cp & 0x3F))}, 3};
    return {{char(0xF0 | (cp >> 18)), char(0x80 | ((cp >> 12) & 0x3F)), char(0x80 | ((cp >> 6) & 0x3F)),
             char(0x80 | (cp & 0x3F))},
            4};
}

// A few byte values to look for, each as a value and the bits ignored in
// comparing with it: a byte and its other case (they differ in bit 0x20)
// take one test. Or any byte at all.
class ByteSet {
public:
    static constexpr int Capacity = 8;

    static ByteSet anyByte()
    {
        ByteSet set;
        set.m_any = true;
        return set;
    }

    // False when the set is full.
    bool add(uchar b)
    {
        for (int k = 0; k < m_count; ++k) {
            if ((b | m_ignored[k]) == m_values[k])
                return true;
            if (m_ignored[k] == 0 && (b ^ 0x20) == m_values[k]) {
                m_ignored[k] = 0x20;
                m_values[k] |= 0x20;
                return true;
            }
        }
        if (m_count == Capacity)
            return false;
        m_values[m_count] = b;
        m_ignored[m_count] = 0;
        ++m_count;
        return true;
    }
    bool any() const { return m_any; }
    int count() const { return m_count; }
    uchar value(int k) const { return m_values[k]; }
    uchar ignored(int k) const { return m_ignored[k]; }
    bool contains(uchar b) const
    {
        for (int k = 0; k < m_count; ++k)
            if ((b | m_ignored[k]) == m_values[k])
                return true;
        return m_any;
    }

private:
    std::array<uchar, Capacity> m_values{};
    std::array<uchar, Capacity> m_ignored{};
    int m_count = 0;
    bool m_any = false;
};

// The bytes of a set in every lane of a vector of Width bytes.
template <int Width>
struct SetLanes {
    typedef uchar Bytes __attribute__((vector_size(Width)));
    typedef quint64 Words __attribute__((vector_size(Width)));

    [[gnu::always_inline]] explicit SetLanes(const ByteSet& set) : count(set.count()), any(set.any())
    {
        for (int k = 0; k < count; ++k) {
            values[k] = Bytes{} + set.value(k);
            ignored[k] = Bytes{} + set.ignored(k);
        }
    }
    // 0xFF in the lanes of v that hold one of the bytes. (Vectors are
    // passed by reference: this also runs in code built for wider ones.)
    [[gnu::always_inline]] void match(const Bytes& v, Bytes& found) const
    {
        const uchar all = any ? 0xFF : 0;
        found = Bytes{} + all;
        for (int k = 0; k < count; ++k)
            found |= Bytes((v | ignored[k]) == values[k]);
    }

    Bytes values[ByteSet::Capacity];
    Bytes ignored[ByteSet::Capacity];
    int count;
    bool any;
};

// What the filter tests at a byte: that it is in first, that the byte after
// it is in after, and, when thirdOffset is not -1, that the byte thirdOffset
// bytes on is in third.
struct FilterSets {
    ByteSet first;
    ByteSet after;
    ByteSet third;
    qsizetype thirdOffset = -1;
};

// Calls accept(i) for the candidates among blocks of Width bytes from i on,
// each block tested on its bytes and the bytes right after them, until
// accept returns true (that i is returned) or no whole block is left (-1,
// with i where it stopped). Inlined into a caller built for the vector
// instructions it should use.
template <int Width, bool CheckThird, typename Accept>
[[gnu::always_inline]] inline qsizetype scanBlocks(const uchar* p, qsizetype size, qsizetype& i, qsizetype to,
                                                  const FilterSets& sets, Accept& accept)
{
    using Bytes = typename SetLanes<Width>::Bytes;
    constexpr int WordCount = Width / 8;
    const SetLanes<Width> first(sets.first), after(sets.after), third(sets.third);
    const qsizetype thirdOffset = CheckThird ? sets.thirdOffset : 0;
    const qsizetype reach = std::max<qsizetype>(thirdOffset, 1);
    for (; i + Width <= to && i + Width + reach <= size; i += Width) {
        // The tests on every block, without a branch between them: a first
        // byte is often common.
        Bytes v, next, hits, following;
        std::memcpy(&v, p + i, Width);
        std::memcpy(&next, p + i + 1, Width);
        first.match(v, hits);
        after.match(next, following);
        hits &= following;
        if constexpr (CheckThird) {
            Bytes end, ending;
            std::memcpy(&end, p + i + thirdOffset, Width);
            third.match(end, ending);
            hits &= ending;
        }
        // Most blocks hold no candidate: test that without leaving the
        // vector registers.
        const auto lanes = typename SetLanes<Width>::Words(hits);
        quint64 seen = lanes[0];
        for (int w = 1; w < WordCount; ++w)
            seen |= lanes[w];
        if (seen == 0)
            continue;
        quint64 words[WordCount];
        std::memcpy(words, &hits, Width);
        for (int w = 0; w < WordCount; ++w) {
            for (quint64 bits = words[w]; bits != 0; bits &= ~(quint64(0xFF) << (std::countr_zero(bits) & ~7))) {
                const qsizetype at = i + w * 8 + std::countr_zero(bits) / 8;
                if (accept(at))
                    return at;
            }
        }
    }
    return -1;
}

#if defined(__x86_64__) && defined(__GNUC__)
template <bool CheckThird, typename Accept>
[[gnu::target("avx2")]] qsizetype scanBlocksAvx2(const uchar* p, qsizetype size, qsizetype& i, qsizetype to,
                                                 const FilterSets& sets, Accept& accept)
{
    return scanBlocks<32, CheckThird>(p, size, i, to, sets, accept);
}

bool hasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

// The bytes at which a match may start, by their first two bytes: a form
// of the word's first character, of one byte and followed by a byte that
// may start the second character, or of several (a CR LF, a character of
// several bytes) and followed by its own second byte. The two tests are
// made on the union of the cases. Where a later character always starts the
// same number of bytes on, its first byte is tested too. The last byte of a
// chunk is always tried.
class StartFilter {
public:
    StartFilter() = default;
    StartFilter(const std::vector<WordChar>& word, bool matchCase)
    {
        bool fits = addForms(word[0], matchCase);
        if (word.size() == 1)
            m_sets.after = ByteSet::anyByte();
        else
            fits = fits && addFirstBytes(word[1], matchCase, m_sets.after);
        if (const auto [third, offset] = thirdTest(word, matchCase); third >= 0 && fits) {
            if (addFirstBytes(word[std::size_t(third)], matchCase, m_sets.third))
                m_sets.thirdOffset = offset;
        }
        if (!fits) {
            // Not expected (no character has more than four case forms),
            // but then every byte is tried.
            m_sets = FilterSets{ByteSet::anyByte(), ByteSet::anyByte(), ByteSet(), -1};
        }
    }

    // Calls accept(i) for each candidate i in [from, to) of the size bytes
    // at p, in order, until it returns true; returns that i, or -1.
    template <typename Accept>
    qsizetype scan(const uchar* p, qsizetype size, qsizetype from, qsizetype to, Accept&& accept) const
    {
        qsizetype i = from;
        const qsizetype found = m_sets.thirdOffset >= 0 ? scanVectors<true>(p, size, i, to, accept)
                                                       : scanVectors<false>(p, size, i, to, accept);
        if (found >= 0)
            return found;
        for (; i < to; ++i) {
            const bool candidate = m_sets.first.contains(p[i]) && (i + 1 == size || m_sets.after.contains(p[i + 1]));
            if (candidate && accept(i))
                return i;
        }
        return -1;
    }

private:
    template <bool CheckThird, typename Accept>
    qsizetype scanVectors(const uchar* p, qsizetype size, qsizetype& i, qsizetype to, Accept& accept) const
    {
#if defined(__x86_64__) && defined(__GNUC__)
        if (hasAvx2()) {
            const qsizetype found = scanBlocksAvx2<CheckThird>(p, size, i, to, m_sets, accept);
            if (found >= 0)
                return found;
        }
#endif
        return scanBlocks<16, CheckThird>(p, size, i, to, m_sets, accept);
    }

    void addBytes(QByteArrayView form)
    {
        m_fits = m_fits && m_sets.first.add(uchar(form[0]));
        if (form.size() > 1)
            m_fits = m_fits && m_sets.after.add(uchar(form[1]));
    }

    // The text's forms of c: their first bytes, and their second bytes when
    // they have several.
    bool addForms(const WordChar& c, bool matchCase)
    {
        if (c.lineBreak) {
            for (const QByteArrayView form : {"\n", "\r", "\r\n"})
                addBytes(form);
            addBytes(utf8(ParagraphSeparator).view());
            return m_fits;
        }
        for (const char32_t form : forms(c, matchCase)) {
            if (TextBytes::isRawByteStandIn(form)) {
                const char raw = char(form - TextBytes::RawByteBase);
                addBytes(QByteArrayView(&raw, 1));
            }
            addBytes(utf8(form).view());
        }
        return m_fits;
    }

    // The bytes that may start one of the text's forms of c.
    static bool addFirstBytes(const WordChar& c, bool matchCase, ByteSet& set)
    {
        if (c.lineBreak)
            return set.add('\r') && set.add('\n') && set.add(uchar(utf8(ParagraphSeparator).bytes[0]));
        for (const char32_t form : forms(c, matchCase)) {
            if (TextBytes::isRawByteStandIn(form) && !set.add(uchar(form - TextBytes::RawByteBase)))
                return false;
            if (!set.add(uchar(utf8(form).bytes[0])))
                return false;
        }
        return true;
    }

    // The third character tested: the last one, or the first one before
    // it whose forms differ in length (a line break, a raw byte, "k" with
    // the Kelvin sign...), for the bytes before it must be the same in
    // every form of the word. Its index and the bytes before it, or -1.
    static std::pair<qsizetype, qsizetype> thirdTest(const std::vector<WordChar>& word, bool matchCase)
    {
        qsizetype offset = 0;
        qsizetype k = 0;
        for (; k + 1 < qsizetype(word.size()); ++k) {
            if (word[std::size_t(k)].lineBreak)
                break;
            const std::vector<char32_t> all = forms(word[std::size_t(k)], matchCase);
            const int size = utf8(all.front()).size;
            const auto differs = [&](char32_t form) {
                return utf8(form).size != size || TextBytes::isRawByteStandIn(form);
            };
            if (std::any_of(all.begin(), all.end(), differs))
                break;
            offset += size;
        }
        return k >= 2 ? std::pair(k, offset) : std::pair(qsizetype(-1), qsizetype(-1));
    }

    static std::vector<char32_t> forms(const WordChar& c, bool matchCase)
    {
        return matchCase ? std::vector<char32_t>{c.character} : SearchRules::caseVariants(c.character);
    }

    FilterSets m_sets;
    bool m_fits = true;
};

// Reads the store's text token by token from a place, across chunks.
class TokenReader {
public:
    TokenReader(const std::vector<TextChunk>& chunks, qsizetype chunk, qsizetype byte, qint64 offset)
        : m_chunks(chunks), m_chunk(std::size_t(chunk)), m_byte(byte), m_offset(offset)
    {
    }

    // The next token's character, or false at the end of the text.
    bool next(char32_t& character)
    {
        while (m_byte == m_chunks[m_chunk].size()) {
            if (m_chunk + 1 == m_chunks.size())
                return false;
            ++m_chunk;
            m_byte = 0;
        }
        const QByteArray& bytes = m_chunks[m_chunk].bytes;
        const uchar c = uchar(bytes[m_byte]);
        int length = 1;
        if (c >= 0x80 || c == '\r') {
            const TextBytes::Decoded d = TextBytes::decodeAt(bytes, m_byte);
            character = d.character;
            length = d.bytes;
        } else {
            character = c;
        }
        m_byte += length;
        m_offset += length;
        return true;
    }

    // The byte from the start of the text.
    qint64 offset() const { return m_offset; }

private:
    const std::vector<TextChunk>& m_chunks;
    std::size_t m_chunk;
    qsizetype m_byte;
    qint64 m_offset;
};

class StoreMatcher {
public:
    StoreMatcher(const TextStore& store, QStringView word, TextSearchOptions options)
        : m_store(store), m_options(options)
    {
        const QString compared = SearchRules::comparedWord(word, options.matchCase);
        m_units = compared.size();
        const auto* w = reinterpret_cast<const char16_t*>(compared.utf16());
        for (qsizetype i = 0; i < compared.size(); ++i) {
            if (QChar::isHighSurrogate(w[i]) && i + 1 < compared.size() && QChar::isLowSurrogate(w[i + 1])) {
                m_word.push_back({QChar::surrogateToUcs4(w[i], w[i + 1]), false});
                ++i;
            } else if (QChar::isSurrogate(w[i])) {
                // The text holds whole pairs only: half of one is never a match.
                m_word.clear();
                return;
            } else {
                m_word.push_back({w[i], w[i] == ParagraphSeparator});
            }
        }
        if (!m_word.empty())
            m_filter = StartFilter(m_word, options.matchCase);
    }

    TextMatch find(qint64 start, qint64 end) const
    {
        start = std::max<qint64>(start, 0);
        end = std::min(end, m_store.length());
        if (m_word.empty() || end - start < m_units)
            return {};
        // A start inside a surrogate pair: the pair cannot begin a match.
        if (m_store.characterStart(start) != start)
            ++start;
        const TextStore::BytePlace from = m_store.placeOf(start);
        const qint64 endOffset = m_store.placeOf(end).offset;
        const std::vector<TextChunk>& chunks = m_store.chunks();
        qint64 chunkOffset = from.offset - from.byte;
        for (qsizetype c = from.chunk; c < qsizetype(chunks.size()) && chunkOffset < endOffset; ++c) {
            const TextChunk& chunk = chunks[std::size_t(c)];
            const auto* p = reinterpret_cast<const uchar*>(chunk.bytes.constData());
            const qsizetype first = c == from.chunk ? from.byte : 0;
            const qsizetype last = qsizetype(std::min<qint64>(chunk.size(), endOffset - chunkOffset));
            const qsizetype at = m_filter.scan(p, chunk.size(), first, last, [&](qsizetype i) {
                return startsToken(chunk, i) && matchesAt(c, i, chunkOffset + i, endOffset);
            });
            if (at >= 0)
                return {m_store.positionOf(c, at), m_units};
            chunkOffset += chunk.size();
        }
        return {};
    }

private:
    static bool startsToken(const TextChunk& chunk, qsizetype i)
    {
        const auto* p = reinterpret_cast<const uchar*>(chunk.bytes.constData());
        if (p[i] == '\n')
            return i == 0 || p[i - 1] != '\r';
        if (p[i] < 0x80 || p[i] >= 0xC0)
            return true;
        return !chunk.valid && TextBytes::tokenBoundaryAtOrBefore(chunk.bytes, i) == i;
    }

    bool same(const WordChar& w, char32_t c) const
    {
        if (w.lineBreak)
            return c == U'\n' || c == ParagraphSeparator;
        return c == w.character || (!m_options.matchCase && QChar::toCaseFolded(c) == w.character);
    }

    // Whether the word is found at a token boundary, ending by endOffset.
    bool matchesAt(qsizetype chunk, qsizetype byte, qint64 offset, qint64 endOffset) const
    {
        TokenReader reader(m_store.chunks(), chunk, byte, offset);
        char32_t first = 0;
        char32_t last = 0;
        for (const WordChar& w : m_word) {
            if (!reader.next(last) || reader.offset() > endOffset || !same(w, last))
                return false;
            if (&w == &m_word.front())
                first = last;
        }
        if (!m_options.wholeWord)
            return true;
        if (isWordChar(first) && isWordChar(characterBefore(chunk, byte)))
            return false;
        char32_t after = 0;
        return !(isWordChar(last) && reader.next(after) && isWordChar(after));
    }

    // The character that ends at a token boundary; none (0) at the start of
    // the text.
    char32_t characterBefore(qsizetype chunk, qsizetype byte) const
    {
        const std::vector<TextChunk>& chunks = m_store.chunks();
        while (byte == 0) {
            if (chunk == 0)
                return 0;
            byte = chunks[std::size_t(--chunk)].size();
        }
        return TextBytes::decodeBefore(chunks[std::size_t(chunk)].bytes, byte).character;
    }

    const TextStore& m_store;
    TextSearchOptions m_options;
    std::vector<WordChar> m_word; // empty when nothing can match
    qsizetype m_units = 0;        // a match's length in the text
    StartFilter m_filter;
};

}

TextMatch findInStore(const TextStore& store, QStringView word, qint64 start, qint64 end,
                      TextSearchOptions options)
{
    return StoreMatcher(store, word, options).find(start, end);
}
