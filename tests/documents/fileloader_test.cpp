#include "support/filebytes.h"
#include "support/programfixture.h"

#include "documents/documenttable.h"
#include "documents/filecommands.h"
#include "documents/fileloader.h"
#include "documents/textfilereader.h"
#include "editor/tredit.h"

#include <QApplication>
#include <QFile>
#include <QSignalSpy>
#include <QStringEncoder>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

// More than the reader's first block: the rest comes in the background.
QByteArray largeFile()
{
    QByteArray bytes;
    for (int i = 0; bytes.size() < 3 * TextFileReader::FirstBlock; ++i)
        bytes += "line " + QByteArray::number(i) + (i % 2 ? " caf\xC3\xA9\r\n" : " plain\n");
    return bytes;
}

// The text the editor shows for bytes: each line break one "\n".
QString textOf(const QByteArray& bytes) { return QString::fromUtf8(bytes).replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }

class FileLoaderTest : public ProgramTest {
protected:
    TREdit* freshEditor()
    {
        m_editor = std::make_unique<TREdit>();
        DocumentTable::setUpEditor(m_editor.get());
        m_editor->resize(400, 300);
        m_editor->show();
        return m_editor.get();
    }
    std::unique_ptr<TREdit> m_editor;
};

} // namespace

TEST_F(FileLoaderTest, TheStartShowsAtOnceAndTheRestFollows)
{
    const QByteArray bytes = largeFile();
    const QString path = writeFile(QStringLiteral("large.txt"), bytes);
    TREdit* editor = freshEditor();
    QSignalSpy changed(editor, &TREdit::Change);

    const FileLoader::Started started = FileLoader::start(path, editor);
    ASSERT_NE(started.loader, nullptr);
    EXPECT_EQ(started.format.encoding, TextEncoding::Utf8);
    EXPECT_EQ(started.format.lineBreak, LineBreak::LF);
    EXPECT_TRUE(editor->isLoading());
    EXPECT_GT(editor->textLength(), 1'000'000);
    EXPECT_LT(editor->textLength(), textOf(bytes).size());
    EXPECT_TRUE(editor->text().startsWith(QStringLiteral("line 0 plain\nline 1 caf\u00E9\nline 2")));

    QSignalSpy finished(started.loader, &FileLoader::finished);
    ASSERT_TRUE(finished.wait(20'000));
    EXPECT_FALSE(editor->isLoading());
    EXPECT_EQ(editor->text(), textOf(bytes));
    EXPECT_FALSE(editor->isUndoAvailable());
    EXPECT_EQ(changed.count(), 1) << "only the load's start tells a change";
}

TEST_F(FileLoaderTest, TypingWhileReadingWaitsForTheWholeTextAndLosesNothing)
{
    const QByteArray bytes = largeFile();
    const QString path = writeFile(QStringLiteral("large.txt"), bytes);
    TREdit* editor = freshEditor();
    ASSERT_NE(FileLoader::start(path, editor).loader, nullptr);
    editor->setFocus();
    QTest::keyClicks(editor, QStringLiteral("typed"));
    EXPECT_FALSE(editor->isLoading());
    EXPECT_EQ(editor->text(), QStringLiteral("typed") + textOf(bytes));
}

TEST_F(FileLoaderTest, AUtf16FileShowsItsStartAtOnceToo)
{
    const QString text = textOf(largeFile());
    QStringEncoder encoder(QStringConverter::Utf16BE, QStringConverter::Flag::WriteBom);
    const QByteArray bytes = encoder.encode(text);
    const QString path = writeFile(QStringLiteral("wide.txt"), bytes);
    TREdit* editor = freshEditor();
    const FileLoader::Started started = FileLoader::start(path, editor);
    ASSERT_NE(started.loader, nullptr);
    EXPECT_EQ(started.format.encoding, TextEncoding::Utf16BE);
    EXPECT_TRUE(editor->text().startsWith(QStringLiteral("line 0 plain\nline 1 caf\u00E9\nline 2")));
    QSignalSpy finished(started.loader, &FileLoader::finished);
    ASSERT_TRUE(finished.wait(20'000));
    EXPECT_EQ(editor->text(), text);
    EXPECT_EQ(finished.at(0).at(1).value<FileIdentity>().hash, FileIdentity::hashOf(bytes));
}

TEST_F(FileLoaderTest, AFileThatDoesNotFitItsMarkIsShownAgainAsItReads)
{
    // UTF-16 up to a lone surrogate far past the first screen.
    const QString start = textOf(largeFile());
    QStringEncoder encoder(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
    const QByteArray bytes = QByteArray(encoder.encode(start)) + QByteArray("\x3D\xD8" "a\0", 4);
    const QString path = writeFile(QStringLiteral("damaged.txt"), bytes);
    TREdit* editor = freshEditor();
    QSignalSpy changed(editor, &TREdit::Change);
    const FileLoader::Started started = FileLoader::start(path, editor);
    ASSERT_NE(started.loader, nullptr);
    EXPECT_TRUE(editor->text().startsWith(QStringLiteral("line 0 plain")));
    QSignalSpy finished(started.loader, &FileLoader::finished);
    ASSERT_TRUE(finished.wait(20'000));
    const auto format = finished.at(0).at(0).value<TextFileFormat>();
    EXPECT_NE(format.encoding, TextEncoding::Utf16LE);
    EXPECT_FALSE(editor->text().startsWith(QStringLiteral("line 0 plain"))) << "read again by the next rule";
    EXPECT_EQ(editor->textLength(), editor->store().length());
    EXPECT_EQ(changed.count(), 1) << "no change told beyond the load's start";
}

TEST_F(FileLoaderTest, WhatNeedsTheWholeTextWaitsForIt)
{
    const QByteArray bytes = largeFile() + "needle at the very end";
    const QString path = writeFile(QStringLiteral("large.txt"), bytes);
    TREdit* editor = freshEditor();
    ASSERT_NE(FileLoader::start(path, editor).loader, nullptr);
    EXPECT_EQ(editor->findText(QStringLiteral("needle"), 0, INT_MAX, {}), textOf(bytes).size() - 22);
    EXPECT_FALSE(editor->isLoading());
}

TEST_F(FileLoaderTest, ClosingTheEditorWhileReadingStopsTheWorker)
{
    const QString path = writeFile(QStringLiteral("large.txt"), largeFile());
    for (int i = 0; i < 3; ++i) {
        TREdit* editor = freshEditor();
        ASSERT_NE(FileLoader::start(path, editor).loader, nullptr);
        m_editor.reset(); // joins the worker
        QApplication::processEvents();
    }
}

TEST_F(FileLoaderTest, ALargeFileOpensUnmodifiedAndSavesBackUnchanged)
{
    const QByteArray bytes = largeFile();
    const QString path = writeFile(QStringLiteral("large.txt"), bytes);
    start({path});
    TREdit* editor = docs().currentEditor();
    QTRY_VERIFY_WITH_TIMEOUT(!editor->isLoading(), 20'000);
    EXPECT_EQ(docs().current().Modified, 0u);
    EXPECT_EQ(docs().current().Path, path);
    // Known by its content however it was read, so that a file rewritten
    // with the same bytes is no change.
    EXPECT_EQ(docs().current().Disk.hash, FileIdentity::hashOf(bytes));

    // Saved while still reading: the save waits for the whole text.
    const int slot = Fp->files().openInNewDocument(path);
    ASSERT_GE(slot, 0);
    ASSERT_TRUE(docs().slot(slot).Editor->isLoading());
    QFile::remove(path);
    EXPECT_EQ(Fp->files().writeDocument(slot, path).hash, FileIdentity::hashOf(bytes));
    EXPECT_EQ(readBytes(path), bytes);
}
