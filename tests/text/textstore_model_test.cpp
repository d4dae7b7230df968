#include "text/textstore.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

#include <string>
#include <utility>
#include <vector>

// The store against a plain model: random loads and edits, undo and redo,
// with the text, the bytes, the line index and the offsets checked after
// every step. The model is a list of tokens (a line break, a character or a
// raw byte), each with its exact bytes, decoded by its own rules.

namespace {

struct Token {
    std::string bytes;
    std::u16string text;
};
using Model = std::vector<Token>;

// The bytes each UTF-8 lead byte must be followed by (Unicode's table of
// well-formed sequences).
struct Follow {
    int count;
    unsigned char firstLow, firstHigh;
};

Follow followOf(unsigned char lead)
{
    if (lead >= 0xC2 && lead <= 0xDF)
        return {1, 0x80, 0xBF};
    if (lead == 0xE0)
        return {2, 0xA0, 0xBF};
    if ((lead >= 0xE1 && lead <= 0xEC) || lead == 0xEE || lead == 0xEF)
        return {2, 0x80, 0xBF};
    if (lead == 0xED)
        return {2, 0x80, 0x9F};
    if (lead == 0xF0)
        return {3, 0x90, 0xBF};
    if (lead >= 0xF1 && lead <= 0xF3)
        return {3, 0x80, 0xBF};
    if (lead == 0xF4)
        return {3, 0x80, 0x8F};
    return {-1, 0, 0};
}

std::u16string utf16Of(char32_t cp)
{
    if (cp < 0x10000)
        return std::u16string(1, char16_t(cp));
    cp -= 0x10000;
    return {char16_t(0xD800 + (cp >> 10)), char16_t(0xDC00 + (cp & 0x3FF))};
}

Model decodeReference(const std::string& b)
{
    Model out;
    for (std::size_t i = 0; i < b.size();) {
        const auto c = static_cast<unsigned char>(b[i]);
        if (c == '\r' && i + 1 < b.size() && b[i + 1] == '\n') {
            out.push_back({"\r\n", u"\n"});
            i += 2;
            continue;
        }
        if (c < 0x80) {
            out.push_back({std::string(1, char(c)), c == '\r' ? u"\n" : std::u16string(1, char16_t(c))});
            ++i;
            continue;
        }
        const Follow f = followOf(c);
        bool valid = f.count > 0 && i + std::size_t(f.count) < b.size() + 1;
        for (int k = 1; valid && k <= f.count; ++k) {
            const auto cc = static_cast<unsigned char>(b[i + std::size_t(k)]);
            const unsigned char low = k == 1 ? f.firstLow : 0x80;
            const unsigned char high = k == 1 ? f.firstHigh : 0xBF;
            valid = cc >= low && cc <= high;
        }
        if (!valid) {
            out.push_back({std::string(1, char(c)), std::u16string(1, char16_t(0xEF00 + c))});
            ++i;
            continue;
        }
        char32_t cp = c & (0x7F >> (f.count + 1));
        for (int k = 1; k <= f.count; ++k)
            cp = cp << 6 | (static_cast<unsigned char>(b[i + std::size_t(k)]) & 0x3F);
        out.push_back({b.substr(i, std::size_t(f.count) + 1), utf16Of(cp)});
        i += std::size_t(f.count) + 1;
    }
    return out;
}

std::string utf8Of(char32_t cp) { return QString::fromStdU16String(utf16Of(cp)).toStdString(); }

class Random {
public:
    explicit Random(quint32 seed) : m_gen(seed) {}
    int below(int n) { return n <= 0 ? 0 : int(m_gen.bounded(quint32(n))); }
    bool chance(int percent) { return below(100) < percent; }

    // File bytes: words, the three breaks, characters of every width, raw
    // bytes and cut-short sequences.
    std::string fileBytes(int pieces)
    {
        static const char32_t chars[] = {U'é', U'ß', U'Ж', U'中', U'文', U'€', U'\u2028', U'😀', U'𝄞', U'\uFEFF'};
        std::string out;
        for (int i = 0; i < pieces; ++i) {
            switch (below(10)) {
            case 0: out += "\r\n"; break;
            case 1: out += "\n"; break;
            case 2: out += "\r"; break;
            case 3: out += utf8Of(chars[below(std::size(chars))]); break;
            case 4: out += char(0x80 + below(0x80)); break;
            case 5: out += utf8Of(chars[below(std::size(chars))]).substr(0, 1); break;
            default: out += std::string(std::size_t(1 + below(6)), char('a' + below(26))); out += ' '; break;
            }
        }
        return out;
    }

    // Text to put in: words, breaks of every kind, wide characters, raw
    // byte stand-ins (some of which would spell a character together) and
    // lone surrogates.
    QString insertion()
    {
        QString out;
        const int pieces = 1 + below(chance(10) ? 40 : 4);
        for (int i = 0; i < pieces; ++i) {
            switch (below(12)) {
            case 0: out += u"\r\n"; break;
            case 1: out += u'\n'; break;
            case 2: out += u'\r'; break;
            case 3: out += QString::fromUtf8("é中"); break;
            case 4: out += QString::fromUtf8("😀"); break;
            case 5: out += QChar(0xEF80 + below(0x80)); break;
            case 6: out += QStringView(u"\uEFC3\uEFA9").toString(); break; // C3 A9 would read as "é"
            case 7: out += QStringView(u"\uEFE2\uEF82").toString(); break;  // the start of "€"
            case 8: out += QChar(0xEFAC); break;
            case 9: out += QChar(0xD800 + below(0x800)); break; // a lone surrogate
            default: out += QString(1 + below(5), QChar(u'a' + below(26))); break;
            }
        }
        return out;
    }

private:
    QRandomGenerator m_gen;
};

class ModelRun {
public:
    ModelRun(quint32 seed, TextStore::ChunkLimits limits) : random(seed), store(limits) {}

    void load()
    {
        static const TextBytes::Break styles[] = {TextBytes::Break::CRLF, TextBytes::Break::LF, TextBytes::Break::CR};
        store.clear();
        store.setBreakStyle(styles[random.below(3)]);
        model = random.chance(20) ? Model{} : decodeReference(random.fileBytes(random.below(300)));
        // Cut at token boundaries, as a loader does.
        std::string chunk;
        for (const Token& t : model) {
            chunk += t.bytes;
            if (random.chance(15)) {
                store.appendLoaded(TextChunk::from(QByteArray::fromStdString(chunk)));
                chunk.clear();
            }
        }
        store.appendLoaded(TextChunk::from(QByteArray::fromStdString(chunk)));
        done.clear();
        undone.clear();
    }

    void step()
    {
        store.history().closeRun();
        const int op = random.below(100);
        if (op < 12)
            undo();
        else if (op < 18)
            redo();
        else if (op < 30)
            typingRun();
        else if (op < 38)
            backspaceRun();
        else if (op < 44)
            group();
        else
            edit(EditKind::Other);
    }

    void check(const char* what)
    {
        SCOPED_TRACE(what);
        const std::u16string text = modelText();
        ASSERT_EQ(store.length(), qint64(text.size()));
        ASSERT_EQ(store.text().toStdU16String(), text);
        std::string bytes;
        for (const TextChunk& c : store.chunks()) {
            ASSERT_FALSE(c.bytes.isEmpty());
            const TextBytes::Metrics m = TextBytes::measure(c.bytes);
            ASSERT_EQ(c.units, m.units);
            ASSERT_EQ(c.breaks, m.breaks);
            ASSERT_TRUE(!c.ascii || m.ascii);
            ASSERT_TRUE(!c.valid || m.valid);
            bytes += c.bytes.toStdString();
        }
        ASSERT_EQ(bytes, modelBytes());
        ASSERT_EQ(store.byteCount(), qint64(bytes.size()));
        std::vector<qint64> starts{0};
        for (std::size_t i = 0; i < text.size(); ++i)
            if (text[i] == u'\n')
                starts.push_back(qint64(i) + 1);
        ASSERT_EQ(store.lineCount(), qint64(starts.size()));
        for (int probe = 0; probe < 3; ++probe) {
            const qint64 line = random.below(int(starts.size()));
            ASSERT_EQ(store.lineStart(line), starts[std::size_t(line)]) << "line " << line;
            const qint64 end = std::size_t(line) + 1 < starts.size() ? starts[std::size_t(line) + 1] - 1 : qint64(text.size());
            ASSERT_EQ(store.lineEnd(line), end) << "line " << line;
            const qint64 pos = randomBoundary();
            const auto before = std::count(text.begin(), text.begin() + pos, u'\n');
            ASSERT_EQ(store.lineOfPosition(pos), before) << "position " << pos;
            const qint64 count = random.below(int(text.size() - pos) + 1);
            ASSERT_EQ(store.text(pos, count).toStdU16String(), text.substr(std::size_t(pos), std::size_t(count)));
        }
    }

    qint64 edits = 0;

private:
    struct Snapshot {
        Model model;
    };

    std::u16string modelText() const
    {
        std::u16string out;
        for (const Token& t : model)
            out += t.text;
        return out;
    }
    std::string modelBytes() const
    {
        std::string out;
        for (const Token& t : model)
            out += t.bytes;
        return out;
    }
    // Token index at a position (which lies on a token boundary).
    std::size_t tokenAt(qint64 pos) const
    {
        qint64 at = 0;
        std::size_t i = 0;
        while (at < pos)
            at += qint64(model[i++].text.size());
        return i;
    }
    qint64 positionOfToken(std::size_t index) const
    {
        qint64 at = 0;
        for (std::size_t i = 0; i < index; ++i)
            at += qint64(model[i].text.size());
        return at;
    }
    qint64 randomBoundary() { return positionOfToken(std::size_t(random.below(int(model.size()) + 1))); }

    // The tokens text becomes in the store.
    Model tokensOf(const QString& text) const
    {
        Model out;
        const std::u16string s = TextBytes::storedForm(text).toStdU16String();
        const std::string lineBreak = TextBytes::breakBytes(store.breakStyle()).toByteArray().toStdString();
        for (std::size_t i = 0; i < s.size(); ++i) {
            const char16_t c = s[i];
            if (c == u'\n') {
                out.push_back({lineBreak, u"\n"});
            } else if (c >= 0xEF80 && c <= 0xEFFF) {
                out.push_back({std::string(1, char(c - 0xEF00)), std::u16string(1, c)});
            } else if (c >= 0xD800 && c <= 0xDBFF) {
                const char32_t cp = 0x10000 + ((char32_t(c) - 0xD800) << 10) + (s[i + 1] - 0xDC00);
                out.push_back({utf8Of(cp), s.substr(i, 2)});
                ++i;
            } else {
                out.push_back({utf8Of(c), std::u16string(1, c)});
            }
        }
        return out;
    }

    // One replace, in the store and in the model; false when it changed
    // nothing.
    bool apply(qint64 pos, qint64 count, const QString& text, EditKind kind)
    {
        const std::size_t first = tokenAt(pos);
        const std::size_t last = tokenAt(pos + count);
        const Model inserted = tokensOf(text);
        const TextStore::Change change = store.replace(pos, count, text, kind);
        EXPECT_EQ(change.position, pos);
        EXPECT_EQ(change.removed, count);
        model.erase(model.begin() + qsizetype(first), model.begin() + qsizetype(last));
        model.insert(model.begin() + qsizetype(first), inserted.begin(), inserted.end());
        ++edits;
        return count != 0 || !inserted.empty();
    }

    // A step that changed nothing leaves no trace: no undo step, the redo
    // steps kept.
    void startStep()
    {
        done.push_back({model});
        keptUndone = std::exchange(undone, {});
    }
    void dropEmptyStep()
    {
        done.pop_back();
        undone = std::move(keptUndone);
    }

    void edit(EditKind kind)
    {
        startStep();
        const qint64 pos = randomBoundary();
        const qint64 end = random.chance(50) ? pos : positionOfToken(std::min(model.size(), tokenAt(pos) + std::size_t(random.below(30))));
        const QString text = random.chance(30) ? QString() : random.insertion();
        if (!apply(pos, end - pos, text, kind))
            dropEmptyStep();
        check("edit");
    }

    void typingRun()
    {
        startStep();
        qint64 pos = randomBoundary();
        bool changed = false;
        for (int i = random.below(8); i >= 0; --i) {
            const QString typed = random.chance(20) ? QStringLiteral("\n") : random.chance(10) ? QString::fromUtf8("😀") : QString(QChar(u'a' + random.below(26)));
            // Overwriting now and then: the next token goes.
            const std::size_t t = tokenAt(pos);
            const qint64 over = random.chance(20) && t < model.size() ? qint64(model[t].text.size()) : 0;
            changed = apply(pos, over, typed, EditKind::Typing) || changed;
            pos += qint64(TextBytes::storedForm(typed).size());
        }
        if (!changed)
            dropEmptyStep();
        check("typing");
    }

    void backspaceRun()
    {
        startStep();
        std::size_t t = tokenAt(randomBoundary());
        bool changed = false;
        for (int i = random.below(8); i >= 0 && t > 0; --i) {
            --t;
            const qint64 pos = positionOfToken(t);
            changed = apply(pos, qint64(model[t].text.size()), {}, EditKind::Backspace) || changed;
        }
        if (!changed)
            dropEmptyStep();
        check("backspace");
    }

    void group()
    {
        startStep();
        store.history().beginGroup();
        bool changed = false;
        for (int i = random.below(4); i >= 0; --i) {
            const qint64 pos = randomBoundary();
            const qint64 end = positionOfToken(std::min(model.size(), tokenAt(pos) + std::size_t(random.below(5))));
            changed = apply(pos, end - pos, random.insertion(), EditKind::Other) || changed;
        }
        store.history().endGroup();
        if (!changed)
            dropEmptyStep();
        check("group");
    }

    void undo() { travel(done, undone, store.canUndo(), [this] { return store.undo(); }, "undo"); }
    void redo() { travel(undone, done, store.canRedo(), [this] { return store.redo(); }, "redo"); }

    // Undo or redo: the model goes back to (or forward to) the state kept.
    template <typename Op>
    void travel(std::vector<Snapshot>& from, std::vector<Snapshot>& to, bool storeCan, Op op, const char* what)
    {
        ASSERT_EQ(storeCan, !from.empty());
        if (from.empty())
            return;
        const qint64 lengthBefore = store.length();
        const qint64 linesBefore = store.lineCount();
        const std::vector<TextStore::Change> changes = op();
        to.push_back({model});
        model = std::move(from.back().model);
        from.pop_back();
        checkChanges(changes, lengthBefore, linesBefore);
        check(what);
    }

    // The changes told account for the length and lines gained or lost.
    void checkChanges(const std::vector<TextStore::Change>& changes, qint64 lengthBefore, qint64 linesBefore)
    {
        qint64 length = lengthBefore;
        qint64 lines = linesBefore;
        for (const TextStore::Change& c : changes) {
            ASSERT_LE(c.position + c.removed, length);
            length += c.inserted - c.removed;
            lines += c.insertedBreaks - c.removedBreaks;
        }
        ASSERT_EQ(length, store.length());
        ASSERT_EQ(lines, store.lineCount());
        edits += qint64(changes.size());
    }

    Random random;
    TextStore store;
    Model model;
    std::vector<Snapshot> done;
    std::vector<Snapshot> undone;
    std::vector<Snapshot> keptUndone;
};

TEST(TextStoreModel, RandomEditsUndoAndRedoMatchAPlainModel)
{
    const TextStore::ChunkLimits limits[] = {{16, 32, 4}, {5, 8, 2}, {64, 128, 16}, {}};
    qint64 edits = 0;
    for (quint32 session = 0; session < 160; ++session) {
        ModelRun run(session * 7919 + 1, limits[session % std::size(limits)]);
        run.load();
        run.check("load");
        for (int i = 0; i < 400 && !::testing::Test::HasFatalFailure(); ++i)
            run.step();
        ASSERT_FALSE(::testing::Test::HasFailure()) << "session " << session;
        edits += run.edits;
    }
    EXPECT_GE(edits, 100'000);
}

} // namespace
