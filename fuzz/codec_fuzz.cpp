// Fuzz target: any bytes read as a file into the editor's text store and
// written back from it come back unchanged, whatever their line breaks; the
// store's reader chooses the codec's encoding. The codec's own text form
// comes back unchanged exactly when the line breaks are all of the first
// one's style. Nothing read is ever refused on the way back.
//
// The first byte of an input picks a byte-order mark to put before the rest
// (none, UTF-8, UTF-16 LE/BE, UTF-32 LE/BE), so every decoder gets its share.

#include "codec/textcodec.h"
#include "documents/textfilereader.h"
#include "documents/textfilesaver.h"
#include "text/textstore.h"

#include <QCoreApplication>

#include <sys/mman.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdlib>

namespace {

[[noreturn]] void fail() { std::abort(); }

// The bytes as a file, read by the store's reader (in memory: no disk).
TextFileFormat readThroughStore(const QByteArray& bytes, TextStore& store)
{
    const int fd = ::memfd_create("codec_fuzz", MFD_CLOEXEC);
    if (fd < 0 || ::write(fd, bytes.constData(), std::size_t(bytes.size())) != bytes.size())
        fail();
    TextFileReader reader(QStringLiteral("/proc/self/fd/%1").arg(fd));
    ::close(fd);
    store.clear();
    for (int round = 0; round < 2; ++round)
        for (TextChunk& c : reader.read(round == 0 ? 0 : bytes.size() + 1))
            store.appendLoaded(std::move(c));
    return reader.format();
}

QByteArray writtenFromStore(const TextStore& store, const TextFileFormat& format)
{
    const StoreEncoding encoded = encodeStore(store, format);
    if (encoded.unencodable)
        fail();
    QByteArray out;
    encoded.content.produce([&](QByteArrayView piece) {
        out += piece;
        return true;
    });
    return out;
}

}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
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

    // As a file is opened and saved: through the text store, byte for byte.
    TextStore store;
    const TextFileFormat format = readThroughStore(bytes, store);
    if (writtenFromStore(store, format) != bytes)
        fail();
    if (format.encoding != decoded.format.encoding && !(decoded.format.encoding == TextEncoding::Utf16LE
                                                       || decoded.format.encoding == TextEncoding::Utf16BE))
        fail(); // the store takes UTF-16 with a lone surrogate by the other rules

    const EncodedText written = encodeTextFile(decoded.text, decoded.format);
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
