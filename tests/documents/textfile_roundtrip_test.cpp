#include "documents/textfilereader.h"
#include "documents/textfilesaver.h"
#include "platform/errors.h"
#include "text/textstore.h"

#include <QFile>
#include <QScopeGuard>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Files read into a text store and written back from it: every byte comes
// back, whatever the encoding and however the line breaks are mixed.

namespace {

class TextFileRoundTrip : public ::testing::Test {
protected:
    QString write(const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(QStringLiteral("file%1.txt").arg(++m_files));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }

    // Reads the file the way the editor does (its start, then the rest in
    // steps of step bytes) into a store.
    TextFileFormat read(const QByteArray& bytes, TextStore& store, qint64 step = 1 << 20)
    {
        TextFileReader reader(write(bytes));
        store.clear();
        for (TextChunk& c : reader.read(0))
            store.appendLoaded(std::move(c));
        while (!reader.atEnd())
            for (TextChunk& c : reader.read(step))
                store.appendLoaded(std::move(c));
        for (TextChunk& c : reader.read(0))
            store.appendLoaded(std::move(c));
        EXPECT_TRUE(reader.error().isEmpty());
        return reader.format();
    }

    static QByteArray bytesOf(const TextStore& store, const TextFileFormat& format)
    {
        const StoreEncoding encoded = encodeStore(store, format);
        EXPECT_FALSE(encoded.unencodable.has_value());
        QByteArray out;
        EXPECT_TRUE(encoded.content.produce([&](QByteArrayView piece) {
            out += piece;
            return true;
        }));
        EXPECT_EQ(out.size(), encoded.content.size);
        return out;
    }

    QByteArray throughStore(const QByteArray& bytes, TextFileFormat* format = nullptr)
    {
        TextStore store;
        const TextFileFormat f = read(bytes, store);
        if (format)
            *format = f;
        return bytesOf(store, f);
    }

    QTemporaryDir m_dir;
    int m_files = 0;
};

QByteArray encoded(const QString& text, QStringConverter::Encoding encoding)
{
    QStringEncoder encoder(encoding, QStringConverter::Flag::WriteBom);
    return encoder.encode(text);
}

} // namespace

TEST_F(TextFileRoundTrip, MixedLineBreaksComeBackInEveryEncoding)
{
    const QString text = QStringLiteral("one\ntwo\r\nthree\rfour \u00E9t\u00E9 \u20AC\r\n\n\rend");
    TextFileFormat format;
    const QByteArray utf8 = text.toUtf8();
    EXPECT_EQ(throughStore(utf8, &format), utf8);
    EXPECT_EQ(format.encoding, TextEncoding::Utf8);
    EXPECT_EQ(format.lineBreak, LineBreak::LF);

    const QByteArray cp1252("caf\xE9\r\nna\xEFve\rx\n\x80 \x81");
    EXPECT_EQ(throughStore(cp1252, &format), cp1252);
    EXPECT_EQ(format.encoding, TextEncoding::Windows1252);
    EXPECT_EQ(format.lineBreak, LineBreak::CRLF);

    for (const auto e : {QStringConverter::Utf16LE, QStringConverter::Utf16BE, QStringConverter::Utf32LE,
                         QStringConverter::Utf32BE, QStringConverter::Utf8}) {
        const QByteArray marked = encoded(text + QStringLiteral("\U0001F600"), e);
        EXPECT_EQ(throughStore(marked, &format), marked) << int(e);
        EXPECT_TRUE(format.byteOrderMark) << int(e);
    }
}

TEST_F(TextFileRoundTrip, DamagedUtf8KeepsItsBytesAndItsEncoding)
{
    const QByteArray damaged("d\xC3\xA9j\xC3\xA0 vu, \xE2\x82 cut short, \xFF and \xC3\xA9t\xC3\xA9\r\n");
    TextFileFormat format;
    TextStore store;
    format = read(damaged, store);
    EXPECT_EQ(format.encoding, TextEncoding::Utf8);
    EXPECT_EQ(store.text(), QStringView(u"d\u00E9j\u00E0 vu, \uEFE2\uEF82 cut short, \uEFFF and \u00E9t\u00E9\n").toString());
    EXPECT_EQ(bytesOf(store, format), damaged);
}

TEST_F(TextFileRoundTrip, BreaksAndCharactersAcrossTheReadersPiecesStayWhole)
{
    // CR LF pairs and multi-byte characters fall on every boundary of the
    // reader's chunks and steps.
    // The same in Windows-1252, its bytes turned into UTF-8 on the way in.
    QByteArray bytes;
    QByteArray cp1252;
    for (int i = 0; bytes.size() < 3 * TextFileReader::ChunkBytes; ++i) {
        bytes += QByteArray(i % 7, 'x') + "\r\n" + "\xE2\x82\xAC" + (i % 3 ? "\r" : "\n");
        cp1252 += QByteArray(i % 11, 'y') + "\r\n" + "\x80\xE9" + (i % 3 ? "\r" : "\n");
    }
    for (const QByteArray* file : {&bytes, &cp1252}) {
        const QString text = file == &bytes ? QString::fromUtf8(bytes) : QString::fromLatin1(cp1252);
        for (const qint64 step : {qint64(1), qint64(3), qint64(4096), qint64(1) << 20}) {
            TextStore store;
            const TextFileFormat format = read(*file, store, step);
            EXPECT_EQ(format.encoding, file == &bytes ? TextEncoding::Utf8 : TextEncoding::Windows1252);
            EXPECT_EQ(bytesOf(store, format), *file) << step;
            EXPECT_EQ(store.lineCount(),
                      text.count(u'\r') + text.count(u'\n') - text.count(QStringLiteral("\r\n")) + 1);
        }
    }
}

TEST_F(TextFileRoundTrip, WideFilesAreConvertedAPieceAtATimeAndComeBackWhole)
{
    // Larger than the first block, CR LF pairs and surrogate pairs on every
    // kind of boundary of the reader's steps.
    QString text;
    for (int i = 0; text.size() < TextFileReader::FirstBlock; ++i)
        text += QString(i % 5, u'x') + QString::fromUtf16(i % 2 ? u"\r\n" : u"\r")
            + QStringLiteral("\u00E9\U0001F600") + QString::fromUtf16(i % 3 ? u"\n" : u"\r");
    for (const auto e : {QStringConverter::Utf16LE, QStringConverter::Utf16BE, QStringConverter::Utf32LE,
                         QStringConverter::Utf32BE}) {
        const QByteArray bytes = encoded(text, e);
        {
            TextFileReader reader(write(bytes));
            EXPECT_FALSE(reader.read(0).empty());
            EXPECT_FALSE(reader.atEnd()) << "not read whole before the first screen";
            EXPECT_LT(reader.bytesRead(), bytes.size());
        }
        for (const qint64 step : {qint64(4097), qint64(1) << 20}) {
            TextStore store;
            const TextFileFormat format = read(bytes, store, step);
            EXPECT_EQ(bytesOf(store, format), bytes) << int(e) << " " << step;
            EXPECT_TRUE(format.byteOrderMark);
            EXPECT_EQ(store.length(), text.size() - text.count(QStringLiteral("\r\n")));
        }
    }
}

TEST_F(TextFileRoundTrip, AMarkedFileThatTurnsOutNotToFitIsReadAgainByTheNextRule)
{
    QString text;
    while (text.size() < TextFileReader::FirstBlock)
        text += QStringLiteral("ligne \u00E9t\u00E9\r\n");
    // A lone high surrogate far past the first block: not UTF-16 after all.
    QByteArray lone = encoded(text, QStringConverter::Utf16LE) + QByteArray("\x3D\xD8" "a\0", 4);
    // A value past U+10FFFF: not UTF-32, yet whole UTF-16 units.
    QByteArray past = encoded(text, QStringConverter::Utf32LE) + QByteArray("\x41\0\x20\0", 4);
    for (const QByteArray* file : {&lone, &past}) {
        const QByteArray& bytes = *file;
        TextFileReader reader(write(bytes));
        TextStore store;
        bool restarted = false;
        for (qint64 step = 0; !reader.atEnd() || step == 0; step = 1 << 20) {
            std::vector<TextChunk> chunks = reader.read(step);
            if (reader.takeRestart()) {
                restarted = true;
                store.clear();
            }
            for (TextChunk& c : chunks)
                store.appendLoaded(std::move(c));
        }
        EXPECT_TRUE(restarted);
        EXPECT_TRUE(reader.error().isEmpty());
        const TextFileFormat format = reader.format();
        EXPECT_EQ(bytesOf(store, format), bytes);
        EXPECT_EQ(reader.stamp().hash, FileIdentity::hashOf(bytes)) << "every byte hashed once";
        if (file == &past)
            EXPECT_EQ(format.encoding, TextEncoding::Utf16LE);
        else
            EXPECT_NE(format.encoding, TextEncoding::Utf16LE);
    }
}

TEST_F(TextFileRoundTrip, EditsKeepEachLinesBreakAndTheFilesEncoding)
{
    TextStore store;
    const TextFileFormat format = read("caf\xE9\r\nlf\nend", store);
    ASSERT_EQ(format.encoding, TextEncoding::Windows1252);
    store.setBreakStyle(TextBytes::Break::CRLF);
    store.insert(store.length(), QStringLiteral("\nna\u00EFve"));
    EXPECT_EQ(bytesOf(store, format), QByteArray("caf\xE9\r\nlf\nend\r\nna\xEFve"));

    // A character Windows-1252 cannot hold stops the save, telling its line.
    store.insert(store.lineStart(2), QStringLiteral("\u2192"));
    const StoreEncoding refused = encodeStore(store, format);
    ASSERT_TRUE(refused.unencodable.has_value());
    EXPECT_EQ(refused.unencodable->character, U'\u2192');
    EXPECT_EQ(refused.unencodable->line, 3);
}

TEST_F(TextFileRoundTrip, AFileTheMemoryLeftCannotHoldIsRefusedWithTheReason)
{
    TextFileReader::setMemoryProbe([] { return qint64(100) << 20; });
    const auto restore = qScopeGuard([] { TextFileReader::setMemoryProbe(nullptr); });
    const QString path = write(QByteArray(1000, 'a'));
    QFile::resize(path, qint64(80) << 20);
    try {
        TextFileReader reader(path);
        ADD_FAILURE() << "not refused";
    } catch (const ScrivoError& e) {
        EXPECT_EQ(QString::fromUtf8(e.what()),
                  QStringLiteral("Cannot open file %1: it needs about 144 MB of memory and 100 MB are free").arg(path));
    }
    EXPECT_NO_THROW(TextFileReader(write("small")));
}
