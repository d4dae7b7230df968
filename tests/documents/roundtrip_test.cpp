#include "support/filebytes.h"
#include "support/programfixture.h"
#include "support/typing.h"

#include "documents/filecommands.h"
#include "editor/tredit.h"

#include <QFile>
#include <QTest>
#include <QToolButton>

// Files read into an editor and written back from it, unchanged: every byte
// must come back, whatever the editor's document does with the text.

namespace {

QByteArray utf8(char32_t cp) { return QString::fromUcs4(&cp, 1).toUtf8(); }

// Every byte value, with LF and CR replaced by the given break.
QByteArray everyByte(const QByteArray& lineBreak)
{
    QByteArray bytes;
    for (int b = 0; b < 256; ++b)
        bytes += (b == '\n' || b == '\r') ? lineBreak : QByteArray(1, char(b));
    return bytes;
}

class RoundTripTest : public ProgramTest {
protected:
    // Reads bytes through a file into a new document's editor, then writes
    // the editor's text to another file: what that file holds.
    QByteArray throughEditor(const QByteArray& bytes)
    {
        const QString in = writeFile(QStringLiteral("in.txt"), bytes);
        const int slot = docs().New();
        FileCommands& files = Fp->files();
        docs().LoadingDocument = true;
        files.readFileIntoDocument(slot, in);
        docs().LoadingDocument = false;
        files.SetDocumentFileName(slot, in);
        const QString out = tempPath(QStringLiteral("out.txt"));
        QFile::remove(out);
        files.writeDocument(slot, out);
        return readBytes(out);
    }
};

}

TEST_F(RoundTripTest, EveryByteValueWithEachLineBreakStyle)
{
    for (const QByteArray& lineBreak : {QByteArray("\n"), QByteArray("\r"), QByteArray("\r\n")}) {
        const QByteArray bytes = everyByte(lineBreak);
        EXPECT_EQ(throughEditor(bytes), bytes) << "break " << lineBreak.toHex().toStdString();
        EXPECT_EQ(docs().current().Format.encoding, TextEncoding::Windows1252);
    }
}

TEST_F(RoundTripTest, LineBreakStylesWithAndWithoutAFinalBreak)
{
    const QList<QByteArray> files{
        "", "\n", "\r", "\r\n", "\n\n\n", "\r\r", "\r\n\r\n",
        "one\ntwo", "one\ntwo\n", "one\rtwo", "one\rtwo\r", "one\r\ntwo", "one\r\ntwo\r\n",
        "\ttabs \t and trailing spaces   \n", "no break at all",
    };
    for (const QByteArray& bytes : files)
        EXPECT_EQ(throughEditor(bytes), bytes) << bytes.toHex().toStdString();
}

TEST_F(RoundTripTest, InvalidUtf8BomAndNulBytes)
{
    const QList<QByteArray> files{
        "caf\xE9 cr\xE8me\r\n",                  // Latin text in Windows-1252
        "ok \xC3\xA9 then bad \xC3\x28\n",       // valid then broken UTF-8
        "overlong \xC0\xAF surrogate \xED\xA0\x80\n",
        "cut short \xE2\x82",                    // a sequence the file ends inside
        "\xEF\xBB\xBFwith a BOM\r\nsecond\r\n",  // UTF-8 with its mark
        "\xEF\xBB\xBF",                          // the mark alone
        "\xEF\xBB\xBF\xFF not UTF-8 after the mark\n",
        QByteArray("nul\0inside\n\0\0", 14),
        "unassigned \x81\x8D\x8F\x90\x9D and \x80\x99\n",
    };
    for (const QByteArray& bytes : files)
        EXPECT_EQ(throughEditor(bytes), bytes) << bytes.toHex().toStdString();
}

TEST_F(RoundTripTest, CharactersTheEditorWouldChange)
{
    // No-break spaces, line and paragraph separators, the editor's frame
    // marks, and the stand-ins used for them, alone and quoted.
    QList<QByteArray> files{
        "a\xC2\xA0" "b\xC2\xA0\n",
        "a\xA0" "b\xFF\n", // no-break space in Windows-1252
        "line\xE2\x80\xA8separator\n",
        "paragraph\xE2\x80\xA9separator\n",
        "\xE2\x80\xA9\xE2\x80\xA9",
        "frame \xEF\xB7\x90 marks \xEF\xB7\x91\n",
    };
    QByteArray standIns;
    for (char32_t cp = 0x10FFF0; cp <= 0x10FFF3; ++cp)
        standIns += utf8(cp) + utf8(0x2029) + utf8(cp) + utf8(cp) + " ";
    files << standIns << utf8(0x10FFF3) << utf8(0x10FFF3) + utf8(0x10FFF0) << utf8(0x10FFF0) + utf8(0x10FFF3);
    for (const QByteArray& bytes : files)
        EXPECT_EQ(throughEditor(bytes), bytes) << bytes.toHex().toStdString();
}

TEST_F(RoundTripTest, EveryUnicodeCharacter)
{
    // One LF file holding every scalar value but CR and LF, 64 to a line.
    QString text;
    int onLine = 0;
    for (char32_t cp = 0; cp <= 0x10FFFF; ++cp) {
        if (cp == '\n' || cp == '\r' || (cp >= 0xD800 && cp <= 0xDFFF))
            continue;
        text += QString::fromUcs4(&cp, 1);
        if (++onLine == 64) {
            text += u'\n';
            onLine = 0;
        }
    }
    const QByteArray bytes = text.toUtf8();
    const QByteArray back = throughEditor(bytes);
    ASSERT_EQ(back.size(), bytes.size());
    EXPECT_TRUE(back == bytes);
    EXPECT_EQ(docs().current().Format.encoding, TextEncoding::Utf8);
}

TEST_F(RoundTripTest, EditingKeepsTheFileStyleAndEncoding)
{
    // A CRLF Windows-1252 file edited: the new line takes CRLF, the old
    // bytes stay, and what is typed is written in Windows-1252 too.
    const QString path = writeFile(QStringLiteral("ancien.txt"), "caf\xE9\r\n");
    start({path});
    TREdit* editor = docs().currentEditor();
    editor->setSelStart(editor->textLength());
    editor->setFocus();
    typeText(editor, QStringLiteral("th\u00E9"));
    QTest::keyClick(editor, Qt::Key_Return);
    Fp->btSave->click();
    EXPECT_EQ(readBytes(path), QByteArray("caf\xE9\r\nth\xE9\r\n"));
    EXPECT_EQ(docs().current().Format.encoding, TextEncoding::Windows1252);

    // LF stays LF.
    const QString script = writeFile(QStringLiteral("run.sh"), "#!/bin/sh\necho\n");
    start({script});
    editor = docs().currentEditor();
    editor->setSelStart(editor->textLength());
    editor->setFocus();
    QTest::keyClicks(editor, QStringLiteral("exit"));
    QTest::keyClick(editor, Qt::Key_Return);
    Fp->btSave->click();
    EXPECT_EQ(readBytes(script), QByteArray("#!/bin/sh\necho\nexit\n"));
}
