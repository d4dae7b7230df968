// Fuzz target: any bytes read as a document, loaded into the editor, read
// back and written come back unchanged exactly when their line breaks are
// all of the first one's style. Nothing read is ever refused on the way
// back.
//
// The first byte of an input picks a byte-order mark to put before the rest
// (none, UTF-8, UTF-16 LE/BE, UTF-32 LE/BE), so every decoder gets its share.

#include "codec/textcodec.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <array>
#include <cstdint>
#include <cstdlib>

namespace {

[[noreturn]] void fail() { std::abort(); }

// The editor keeps its text in a QTextDocument: the text goes in and out of
// one as a file's does on open and save (without a widget laying it out,
// which would make a run a hundred times slower).
QTextDocument& document()
{
    static QTextDocument instance;
    return instance;
}

}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::array<QByteArray, 6> marks = {
        QByteArray(), QByteArray("\xEF\xBB\xBF"), QByteArray("\xFF\xFE"), QByteArray("\xFE\xFF"),
        QByteArray("\xFF\xFE\x00\x00", 4), QByteArray("\x00\x00\xFE\xFF", 4),
    };
    if (size == 0)
        return 0;
    const QByteArray bytes = marks[data[0] % marks.size()]
        + QByteArray(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const DecodedText decoded = decodeTextFile(bytes);

    // As a file is opened and saved: into the editor's document, raw text out.
    document().setPlainText(decoded.text);
    const EncodedText written = encodeTextFile(document().toRawText(), decoded.format);
    if (written.unencodable)
        fail();

    if ((written.bytes == bytes) == decoded.mixedLineBreaks)
        fail();
    // Mixed breaks are all written in the first one's style. That can turn
    // a cut UTF-16 unit whole, so the file reads another way; else it reads
    // as the same text.
    const DecodedText reread = decodeTextFile(written.bytes);
    if (reread.format == decoded.format && reread.text != decoded.text)
        fail();
    return 0;
}
