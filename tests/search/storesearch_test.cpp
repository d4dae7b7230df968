#include "editor/textsearch.h"

#include "text/textbytes.h"
#include "text/textstore.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

#include <array>

// The search over a store's bytes against the search over the flat text the
// store reads as: random stores in tiny chunks (so that words cross chunk
// boundaries), mixed line breaks, letters whose case forms lie outside
// ASCII, characters outside the basic plane, raw bytes; words cut from the
// text with their case and breaks changed; every option, random ranges.

namespace {

// The bytes texts are made of. Cutting them into chunks anywhere also
// makes CRs and LFs apart and characters cut into raw bytes.
constexpr std::array<const char*, 34> Pieces{
    "a", "b", "k", "K", "s", "S", "_", " ", "x", "(", "\r", "\n", "\r\n",
    "\xC3\xA9",         // é
    "\xC3\x89",         // É
    "\xE2\x84\xAA",     // Kelvin sign
    "\xC5\xBF",         // long s
    "\xE2\x80\xA9",     // paragraph separator
    "\xF0\x90\x90\x80", // Deseret capital long i
    "\xF0\x90\x90\xA8", // its small letter
    "\xF0\x9F\x98\x80", // an emoji
    "\x80", "\xA9", "\xE2", "\xFF", "\xC3",
    "\xEE\xBE\x80",     // U+EF80 spelt out: reads as the raw byte 0x80 does
    "\xCC\x81",         // combining acute accent
    "\xD9\xA3",         // Arabic-Indic three
    "\xE1\xBA\x9E",     // capital sharp s
    "\xC3\x9F",         // sharp s
    "\xCF\x83",         // sigma
    "\xCF\x82",         // final sigma
    "\xE2\x80\x99",     // right single quotation mark
};

class RandomStores {
public:
    explicit RandomStores(quint32 seed) : m_random(seed) {}

    int below(int n) { return int(m_random.bounded(n)); }

    QByteArray bytes(int pieces)
    {
        QByteArray out;
        for (int i = 0; i < pieces; ++i)
            out += Pieces[std::size_t(below(int(Pieces.size())))];
        return out;
    }

    // Loaded in chunks cut anywhere, of up to maxChunk bytes, then edited
    // a little.
    void fill(TextStore& store, int maxChunk)
    {
        const QByteArray all = bytes(20 + below(maxChunk * 12));
        for (qsizetype at = 0; at < all.size();) {
            const qsizetype cut = std::min<qsizetype>(all.size() - at, 1 + below(maxChunk));
            store.appendLoaded(TextChunk::from(all.mid(at, cut)));
            at += cut;
        }
        for (int edits = below(4); edits > 0; --edits) {
            const qint64 at = below(int(store.length()) + 1);
            const qint64 count = std::min<qint64>(below(8), store.length() - at);
            store.replace(at, count, TextBytes::toText(bytes(below(6))));
        }
    }

    // A piece of the text with its case and its line breaks changed here
    // and there, or now and then a word of its own.
    QString word(const QString& text)
    {
        if (text.isEmpty() || below(8) == 0)
            return TextBytes::toText(bytes(1 + below(4)));
        const qsizetype from = below(int(text.size()));
        const QString piece = text.mid(from, 1 + below(6));
        QString out;
        for (qsizetype i = 0; i < piece.size(); ++i) {
            const char16_t c = piece[i].unicode();
            if (c == u'\n')
                out += std::array{u"\r\n", u"\r", u"\n", u"\u2029"}[std::size_t(below(4))];
            else if (c == u'k' || c == u'K')
                out += std::array{u"k", u"K", u"\u212A"}[std::size_t(below(3))];
            else if (below(3) == 0)
                out += below(2) ? QChar(c).toUpper() : QChar(c).toLower();
            else
                out += QChar(c);
        }
        return out;
    }

private:
    QRandomGenerator m_random;
};

} // namespace

TEST(StoreSearch, AgreesWithTheFlatTextOnRandomStores)
{
    constexpr std::array<TextSearchOptions, 4> Options{
        TextSearchOptions{false, false}, TextSearchOptions{true, false}, TextSearchOptions{false, true},
        TextSearchOptions{true, true}};
    RandomStores random(20261207);
    int found = 0;
    for (int round = 0; round < 1500; ++round) {
        // Chunks of a few bytes, and now and then of some hundreds (long
        // enough for the vector scan).
        const bool large = round % 4 == 0;
        TextStore store(large ? TextStore::ChunkLimits{256, 512, 64} : TextStore::ChunkLimits{16, 32, 4});
        random.fill(store, large ? 400 : 24);
        const QString text = store.text();
        ASSERT_EQ(text.size(), store.length());
        for (int w = 0; w < 8; ++w) {
            const QString word = random.word(text);
            for (const TextSearchOptions options : Options) {
                // Every match in turn from a random start, to a random end
                // (at times past the text's).
                const qint64 end = random.below(int(text.size()) + 3);
                qint64 from = random.below(int(text.size()) + 1) / (1 + random.below(2));
                for (;;) {
                    const TextMatch expected = findMatchInText(text, word, from, end, options);
                    const TextMatch actual = findInStore(store, word, from, end, options);
                    ASSERT_EQ(actual.position, expected.position)
                        << "round " << round << " from " << from << " to " << end << " options " << options.wholeWord
                        << options.matchCase << "\nword " << qPrintable(word) << "\ntext " << qPrintable(text);
                    if (!expected.found())
                        break;
                    ASSERT_EQ(actual.length, expected.length);
                    ++found;
                    from = expected.position + 1;
                }
            }
        }
    }
    // Most words are found somewhere: the comparison is not only of misses.
    EXPECT_GT(found, 15000);
}
