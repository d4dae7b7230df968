#pragma once

#include <QString>
#include <QStringView>

#include <vector>

// A text that takes many replacements anywhere in it without moving its
// characters: the text is a list of pieces, each a part of the original text
// or of the inserted characters, and only the list changes. The list is cut
// into blocks, so finding a position costs little even after many thousands
// of replacements. Building the whole text again copies each character once.
class ReplayText {
public:
    explicit ReplayText(QString original);

    qint64 length() const { return m_length; }

    // Replaces removed characters at position with inserted; false, changing
    // nothing, when that range does not lie within the text.
    bool replace(qint64 position, qint64 removed, QStringView inserted);

    QString toString() const;

private:
    struct Piece {
        bool inserted; // from m_inserted, else from m_original
        qsizetype start;
        qsizetype length;
    };
    struct Block {
        std::vector<Piece> pieces;
        qint64 length = 0;
    };
    // Where a piece starts: block and index in it (the index may be the
    // block's end).
    struct Place {
        std::size_t block;
        std::size_t piece;
    };

    // A piece boundary at position, cutting a piece in two when needed.
    Place boundary(qint64 position);
    void erase(Place at, qint64 count);
    void insert(Place at, const Piece& piece);

    QString m_original;
    QString m_inserted;
    std::vector<Block> m_blocks;
    qint64 m_length = 0;
};
