#pragma once

#include "codec/textformat.h"
#include "recovery/fileidentity.h"
#include "text/textchunk.h"

#include <QString>

#include <utility>
#include <vector>

// Reads a text file into chunks for a text store, a piece at a time, never
// mapping it (a save or another program may replace it meanwhile).
//
// The encoding is chosen from the file's start, by the codec's rules: a
// byte-order mark decides UTF-32 and UTF-16 (when the whole file fits them)
// and UTF-8; otherwise the first FirstBlock bytes are UTF-8 when their
// ill-formed pieces are no more than their well-formed sequences, else the
// file is Windows-1252. A UTF-8 file's bytes are the chunks themselves, as
// they are; other encodings are converted, each line break keeping its
// characters (CR LF, LF or CR).
//
// A UTF-16 or UTF-32 file is converted as it is read. Should a unit turn
// out to have no form in the text (a lone surrogate, a value past U+10FFFF,
// a unit cut by the file's end), the file did not fit its mark after all:
// it is read again from its start by the next rule, and takeRestart() tells
// whoever took the chunks so far to drop them.
//
// One thread at a time: the user interface's for the start, then a worker's.
class TextFileReader {
public:
    static constexpr qint64 FirstBlock = 4 * 1024 * 1024;
    static constexpr qsizetype ChunkBytes = 64 * 1024;

    // Opens the file and reads its start. Raises "Cannot open file %s" when
    // it is no regular file or cannot be read, with the reason when it would
    // not fit in the memory left or holds more characters than a document
    // can.
    explicit TextFileReader(const QString& path);
    ~TextFileReader();
    TextFileReader(const TextFileReader&) = delete;
    TextFileReader& operator=(const TextFileReader&) = delete;

    const TextFileFormat& format() const { return m_format; }
    // The style of the file's first line break once one has been read.
    bool hasBreakStyle() const { return m_hasBreak; }
    TextBytes::Break breakStyle() const { return m_breakStyle; }

    qint64 size() const { return m_size; }
    qint64 bytesRead() const { return m_read; }
    bool atEnd() const { return m_atEnd; }
    // The file as it was opened; its content hash is that of every byte
    // once all are read.
    FileIdentity stamp() const;
    // Empty while reading goes well.
    const QString& error() const { return m_error; }
    // Whether reading started again from the file's start since the last
    // call: the chunks taken before are no part of the text.
    bool takeRestart() { return std::exchange(m_restarted, false); }

    // The chunks of what has been read and not yet taken, reading about
    // `bytes` more first (0: none).
    std::vector<TextChunk> read(qint64 bytes);

    // Test seam: what the memory left is taken to be (in bytes; -1 for
    // unknown). Null restores the kernel's figure.
    static void setMemoryProbe(qint64 (*probe)());

private:
    void checkMemory(qint64 needed);
    void chooseEncoding();
    bool fill(qsizetype bytes);
    bool decode();
    void restart();
    qsizetype emitPieces(QByteArrayView utf8);
    void decodeUtf8(bool last);
    void decodeWindows1252(bool last);
    bool decodeWide(bool last);
    template <int Size, bool Little>
    bool decodeUnits(qsizetype end);
    void noteBreaks(const TextChunk& chunk);
    void emitChunk(QByteArray bytes);
    void fail(const QString& why);

    QString m_path;
    int m_fd = -1;
    qint64 m_size = 0;
    qint64 m_read = 0;
    qint64 m_units = 0;
    bool m_atEnd = false;
    TextFileFormat m_format;
    bool m_hasBreak = false;
    TextBytes::Break m_breakStyle = TextBytes::Break::CRLF;
    QString m_error;
    FileIdentity m_stamp;
    ContentHash m_hash;
    QByteArray m_pending; // read, not yet decoded
    std::vector<TextChunk> m_chunks;
    std::vector<TextEncoding> m_misfits; // marked encodings the file turned out not to fit
    bool m_restarted = false;
};
