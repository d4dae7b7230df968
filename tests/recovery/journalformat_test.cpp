#include "recovery/journalformat.h"
#include "recovery/journalreplay.h"
#include "recovery/replaytext.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

JournalHeader sampleHeader()
{
    JournalHeader h;
    h.path = QStringLiteral("/home/ann/notes d'été.txt");
    h.base = FileIdentity{.exists = true, .size = 123456789012LL, .modifiedNs = 1700000000123456789LL, .hash = 0xDEADBEEF};
    h.encoding = QStringLiteral("utf-8 crlf");
    h.sessionStarted = 1700000000999LL;
    h.order = 42;
    return h;
}

// Every kind of UTF-16 unit a document may hold: line breaks as "\n",
// a lone surrogate, the stand-ins of undecodable bytes, a NUL.
const QString Awkward = QStringView(u"é\n\t\u00A0").toString() + QChar(0xD800) + QChar(0xEF80) + QChar(0xEFFF) + QChar(0)
    + QStringLiteral("😀");

QByteArray journalWith(const JournalHeader& h, const QList<JournalEdit>& edits,
                       const std::optional<QString>& snapshot = std::nullopt)
{
    QByteArray bytes = JournalFormat::opening() + JournalFormat::headerRecord(h);
    if (snapshot)
        bytes += JournalFormat::snapshotRecord(*snapshot);
    for (const JournalEdit& e : edits)
        JournalFormat::appendEditRecord(bytes, e.position, e.removed, e.inserted, e.lengthAfter);
    return bytes;
}

const QList<JournalEdit> SampleEdits = {
    {0, 0, QStringLiteral("abc"), 3},
    {1, 1, Awkward, 2 + Awkward.size()},
    {0, 2 + Awkward.size(), QString(), 0},
};

} // namespace

TEST(JournalFormat, ReadsBackWhatWasWritten)
{
    const JournalHeader h = sampleHeader();
    const QByteArray bytes = journalWith(h, SampleEdits, Awkward);
    const auto content = readJournal(bytes);
    ASSERT_TRUE(content);
    EXPECT_EQ(content->header, h);
    EXPECT_EQ(content->snapshot, Awkward);
    EXPECT_EQ(content->edits, SampleEdits);
    EXPECT_EQ(content->intactSize, bytes.size());
    EXPECT_FALSE(content->cutShort);

    JournalHeader untitled;
    const auto plain = readJournal(journalWith(untitled, {}));
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->header, untitled);
    EXPECT_FALSE(plain->header.base);
    EXPECT_FALSE(plain->snapshot);
}

TEST(JournalFormat, ARecordCutShortOrDamagedEndsTheJournal)
{
    const QByteArray whole = journalWith(sampleHeader(), SampleEdits);
    const auto all = readJournal(whole);
    ASSERT_TRUE(all);
    // Cut anywhere after the header: exactly the whole records before the cut.
    for (qsizetype cut = all->headerEnd; cut < whole.size(); ++cut) {
        const auto content = readJournal(QByteArrayView(whole).first(cut));
        ASSERT_TRUE(content) << cut;
        EXPECT_LE(content->intactSize, cut);
        EXPECT_EQ(content->cutShort, content->intactSize < cut) << cut; // a cut between records is clean
        ASSERT_LT(content->edits.size(), SampleEdits.size()) << cut;
        EXPECT_EQ(content->edits, SampleEdits.first(content->edits.size()));
        const auto again = readJournal(QByteArrayView(whole).first(content->intactSize));
        EXPECT_FALSE(again->cutShort);
        EXPECT_EQ(again->edits, content->edits);
    }
    // One flipped bit in a record drops it and the ones after it.
    for (qsizetype at = all->headerEnd; at < whole.size(); at += 7) {
        QByteArray damaged = whole;
        damaged[at] = char(damaged[at] ^ 0x10);
        const auto content = readJournal(damaged);
        ASSERT_TRUE(content);
        EXPECT_TRUE(content->cutShort) << at;
        EXPECT_LT(content->edits.size(), SampleEdits.size());
    }
}

TEST(JournalFormat, NoJournalWithoutItsOpeningAndHeader)
{
    const QByteArray whole = journalWith(sampleHeader(), SampleEdits);
    const auto all = readJournal(whole);
    EXPECT_FALSE(readJournal(QByteArray()));
    EXPECT_FALSE(readJournal(QByteArray("hello, world")));
    for (qsizetype cut = 0; cut < all->headerEnd; cut += 3)
        EXPECT_FALSE(readJournal(QByteArrayView(whole).first(cut))) << cut;
    QByteArray damagedHeader = whole;
    damagedHeader[all->headerEnd - 6] = 'X';
    EXPECT_FALSE(readJournal(damagedHeader));
    // A snapshot where the header should be.
    EXPECT_FALSE(readJournal(JournalFormat::opening() + JournalFormat::snapshotRecord(u"text")));
}

TEST(JournalFormat, ALaterSnapshotReplacesTheEditsBeforeIt)
{
    QByteArray bytes = journalWith(sampleHeader(), SampleEdits, QStringLiteral("old"));
    bytes += JournalFormat::snapshotRecord(u"new");
    JournalFormat::appendEditRecord(bytes, 3, 0, u"er", 5);
    const auto content = readJournal(bytes);
    ASSERT_TRUE(content);
    EXPECT_EQ(content->snapshot, QStringLiteral("new"));
    ASSERT_EQ(content->edits.size(), 1);
    QString text = *content->snapshot;
    EXPECT_TRUE(replayEdits(text, content->edits));
    EXPECT_EQ(text, QStringLiteral("newer"));
}

TEST(ReplayText, AgreesWithPlainReplacementAnywhere)
{
    QRandomGenerator random(4);
    QString expected;
    for (int i = 0; i < 200000; ++i)
        expected += QChar(u'a' + random.bounded(26));
    ReplayText replay(expected);
    for (int i = 0; i < 3000; ++i) {
        const qint64 position = random.bounded(qint64(expected.size()) + 1);
        // Now and then a removal across many pieces, or a large insertion.
        const qint64 most = i % 97 == 0 ? 150000 : 40;
        const qint64 removed = std::min<qint64>(random.bounded(most), expected.size() - position);
        const QString inserted(i % 113 == 0 ? 100000 : random.bounded(6), QChar(u'A' + i % 26));
        expected.replace(position, removed, inserted);
        ASSERT_TRUE(replay.replace(position, removed, inserted)) << i;
        ASSERT_EQ(replay.length(), expected.size()) << i;
    }
    EXPECT_EQ(replay.toString(), expected);
}

TEST(ReplayText, RefusesARangeOutsideTheText)
{
    ReplayText replay(QStringLiteral("hello"));
    EXPECT_FALSE(replay.replace(6, 0, u"x"));
    EXPECT_FALSE(replay.replace(3, 3, u"x"));
    EXPECT_FALSE(replay.replace(-1, 0, u"x"));
    EXPECT_TRUE(replay.replace(5, 0, u"!"));
    EXPECT_TRUE(replay.replace(0, 6, u""));
    EXPECT_TRUE(replay.replace(0, 0, u"again"));
    EXPECT_EQ(replay.toString(), QStringLiteral("again"));
}

TEST(ReplayText, EditsThatDoNotAddUpAreRefused)
{
    QString text = QStringLiteral("abc");
    EXPECT_FALSE(replayEdits(text, {{1, 1, QStringLiteral("x"), 4}})); // claims a length of 4
    text = QStringLiteral("abc");
    EXPECT_FALSE(replayEdits(text, {{2, 5, QString(), 0}}));
}
