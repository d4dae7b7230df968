#include "support/filebytes.h"
#include "support/programfixture.h"
#include "support/typing.h"

#include "editor/tredit.h"

#include <QAction>
#include <QStringEncoder>
#include <QTest>
#include <QToolButton>

#include <sys/stat.h>

// Files in every encoding the program reads, opened, edited and saved as a
// user would: they come back byte for byte, and a document keeps its
// file's encoding.

namespace {

struct Sample {
    const char* name;
    QByteArray bytes;
    QString shown; // what the editor shows
};

QByteArray encodedAs(QStringConverter::Encoding encoding, const QByteArray& mark, const QString& text)
{
    QStringEncoder encoder(encoding);
    return mark + QByteArray(encoder(text));
}

QList<Sample> unicodeSamples()
{
    const QString text = QStringLiteral("Gr\u00FC\u00DFe \U0001F600\r\n\u00E0 bient\u00F4t\r\n");
    const QString shown = QStringLiteral("Gr\u00FC\u00DFe \U0001F600\n\u00E0 bient\u00F4t\n");
    return {
        {"bom.txt", "\xEF\xBB\xBF" + text.toUtf8(), shown},
        {"damaged.txt", "caf\xC3\xA9 \xE9t\xC3\xA9\n", QStringLiteral("caf\u00E9 \uEFE9t\u00E9\n")},
        {"utf16le.txt", encodedAs(QStringConverter::Utf16LE, "\xFF\xFE", text), shown},
        {"utf16be.txt", encodedAs(QStringConverter::Utf16BE, "\xFE\xFF", text), shown},
        {"utf32le.txt", encodedAs(QStringConverter::Utf32LE, QByteArray("\xFF\xFE\0\0", 4), text), shown},
        {"utf32be.txt", encodedAs(QStringConverter::Utf32BE, QByteArray("\0\0\xFE\xFF", 4), text), shown},
    };
}

ino_t inodeOf(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

class EncodingsTest : public ProgramTest {
protected:
    TREdit* open(const QString& path)
    {
        start({path});
        return docs().currentEditor();
    }

    void typeAtEnd(TREdit* editor, const QString& text)
    {
        editor->setFocus();
        editor->setSelStart(editor->textLength());
        typeText(editor, text);
    }
};

}

TEST_F(EncodingsTest, UnicodeFilesComeBackAfterEditUndoAndSave)
{
    for (const Sample& sample : unicodeSamples()) {
        SCOPED_TRACE(sample.name);
        const QString path = writeFile(QString::fromLatin1(sample.name), sample.bytes);
        TREdit* editor = open(path);
        EXPECT_EQ(editor->text(), sample.shown);

        typeAtEnd(editor, QStringLiteral("x"));
        EXPECT_EQ(editor->text(), sample.shown + u'x');
        Fp->mnuUndo->trigger();
        EXPECT_EQ(editor->text(), sample.shown);
        ASSERT_EQ(docs().current().Modified, 1u);
        Fp->btSave->click();
        EXPECT_EQ(docs().current().Modified, 0u);
        EXPECT_EQ(readBytes(path), sample.bytes);
    }
}

TEST_F(EncodingsTest, SaveAllLeavesAnUntouchedFileAsItWas)
{
    for (const Sample& sample : unicodeSamples()) {
        SCOPED_TRACE(sample.name);
        const QString path = writeFile(QString::fromLatin1(sample.name), sample.bytes);
        open(path);
        Fp->btSaveAll->click();
        EXPECT_EQ(readBytes(path), sample.bytes);
    }
}

TEST_F(EncodingsTest, EditedTextIsWrittenInTheFilesOwnEncoding)
{
    const QString path =
        writeFile(QStringLiteral("utf16.txt"), encodedAs(QStringConverter::Utf16BE, "\xFE\xFF", QStringLiteral("a\n")));
    TREdit* editor = open(path);
    typeAtEnd(editor, QStringLiteral("\u2192"));
    QTest::keyClick(editor, Qt::Key_Return);
    Fp->btSave->click();
    EXPECT_EQ(readBytes(path), QByteArray("\xFE\xFF\0a\0\n\x21\x92\0\n", 10));

    // A file of ASCII alone is UTF-8: any character may join it.
    const QString ascii = writeFile(QStringLiteral("ascii.txt"), "plain\r\n");
    editor = open(ascii);
    typeAtEnd(editor, QStringLiteral("\u00E9\u2192"));
    Fp->btSave->click();
    EXPECT_EQ(readBytes(ascii), QByteArray("plain\r\n\xC3\xA9\xE2\x86\x92"));
}

TEST_F(EncodingsTest, ACharacterWindows1252LacksIsRefusedAndNothingIsWritten)
{
    const QByteArray bytes("Caf\xE9\r\nd\xE9j\xE0 vu\r\n");
    const QString path = writeFile(QStringLiteral("ancien.txt"), bytes);
    const ino_t inode = inodeOf(path);
    TREdit* editor = open(path);
    typeAtEnd(editor, QStringLiteral("\u2192"));

    ErrorRecorder errors;
    const QString message = QStringLiteral("Cannot save %1: the character \"\u2192\" (U+2192) on line 3 has no form in "
                                           "Windows-1252.")
                                .arg(path);
    Fp->btSave->click();
    EXPECT_EQ(errors.messages(), QStringList{message});
    Fp->btSaveAll->click();
    EXPECT_EQ(errors.messages(), QStringList({message, message}));
    EXPECT_EQ(readBytes(path), bytes);
    EXPECT_EQ(inodeOf(path), inode);
    EXPECT_EQ(docs().current().Modified, 1u);
    EXPECT_TRUE(Fp->btSave->isEnabled());
    EXPECT_EQ(docs().current().Format.encoding, TextEncoding::Windows1252);

    // Without the character the file is written, still in Windows-1252.
    QTest::keyClick(editor, Qt::Key_Backspace);
    typeAtEnd(editor, QStringLiteral("\u00E7a"));
    errors.clear();
    Fp->btSave->click();
    EXPECT_TRUE(errors.messages().isEmpty());
    EXPECT_EQ(readBytes(path), bytes + "\xE7" "a");
    EXPECT_EQ(docs().current().Modified, 0u);
}
