#pragma once

#include "text/textbytes.h"

#include <QByteArray>

#include <vector>

// A run of the store's bytes that reads as text on its own (see
// TextBytes), with what it holds counted. Its serial changes with its
// bytes, so that what is worked out from them can be kept.
struct TextChunk {
    QByteArray bytes;
    qint32 units = 0;
    qint32 breaks = 0;
    bool ascii = true;
    bool valid = true; // no raw byte
    quint64 serial = 0;

    static TextChunk from(QByteArray bytes);
    // The bytes between two token boundaries, as a chunk.
    TextChunk part(qsizetype from, qsizetype to) const;
    qsizetype size() const { return bytes.size(); }
    // Joins other to the end (their junction must be clean).
    void append(const TextChunk& other);
    void renew();
};

// Text taken out of the store or to be put in: chunks in order, each read
// apart from the others.
struct TextFragment {
    std::vector<TextChunk> chunks;
    qint64 units = 0;
    qint64 breaks = 0;

    bool isEmpty() const { return units == 0 && chunks.empty(); }
    // Adds a chunk at the end, joined to the last one when that reads the
    // same and stays below maxBytes.
    void append(TextChunk chunk, qsizetype maxBytes);
    // Adds a chunk at the end as it is (a chunk of the store taken whole).
    void appendWhole(TextChunk chunk);
    void append(TextFragment&& other, qsizetype maxBytes);
    void prepend(TextFragment&& other, qsizetype maxBytes);
    QString text() const;
};
