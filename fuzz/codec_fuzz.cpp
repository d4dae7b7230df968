// Fuzz target: any bytes read as a document and written back come back
// unchanged when their line breaks are all of the file's first style; the
// text goes through the editor's document, as when a file is opened and saved.

#include "documents/textcodec.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <cstdint>
#include <cstdlib>

namespace {

// Whether every line break of the bytes has the style of the first one.
bool uniformBreaks(QByteArrayView bytes, LineBreak style)
{
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r') {
            const bool crlf = i + 1 < bytes.size() && bytes[i + 1] == '\n';
            if ((style == LineBreak::CRLF) != crlf || style == LineBreak::LF)
                return false;
            if (crlf)
                ++i;
        } else if (c == '\n' && style != LineBreak::LF) {
            return false;
        }
    }
    return true;
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
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    DecodedText decoded = decodeTextFile(bytes);

    QTextDocument document;
    document.setPlainText(decoded.text);
    TextFileFormat format = decoded.format;
    const QByteArray written = encodeTextFile(document.toRawText(), format);

    // A Windows-1252 read never needs a switch to UTF-8 on the way back.
    if (format.encoding != decoded.format.encoding)
        std::abort();
    if (uniformBreaks(bytes, decoded.format.lineBreak) && written != bytes.toByteArray())
        std::abort();
    return 0;
}
