#include "recovery/replaytext.h"

namespace {
// A block splits in two beyond this many pieces.
constexpr std::size_t MostPieces = 128;
}

ReplayText::ReplayText(QString original) : m_original(std::move(original)), m_length(m_original.size())
{
    m_blocks.emplace_back();
    if (m_length > 0)
        m_blocks.front().pieces.push_back({false, 0, m_original.size()});
    m_blocks.front().length = m_length;
}

ReplayText::Place ReplayText::boundary(qint64 position)
{
    std::size_t b = 0;
    while (b + 1 < m_blocks.size() && position >= m_blocks[b].length) {
        position -= m_blocks[b].length;
        ++b;
    }
    std::vector<Piece>& pieces = m_blocks[b].pieces;
    std::size_t i = 0;
    while (i < pieces.size() && position >= pieces[i].length) {
        position -= pieces[i].length;
        ++i;
    }
    if (position > 0) { // inside piece i: cut it
        Piece tail = pieces[i];
        tail.start += qsizetype(position);
        tail.length -= qsizetype(position);
        pieces[i].length = qsizetype(position);
        pieces.insert(pieces.begin() + std::ptrdiff_t(i) + 1, tail);
        ++i;
    }
    return {b, i};
}

void ReplayText::erase(Place at, qint64 count)
{
    while (count > 0) {
        Block& block = m_blocks[at.block];
        if (at.piece == block.pieces.size()) {
            ++at.block;
            at.piece = 0;
            continue;
        }
        const qsizetype length = block.pieces[at.piece].length; // whole: the end is a boundary
        block.pieces.erase(block.pieces.begin() + std::ptrdiff_t(at.piece));
        block.length -= length;
        count -= length;
    }
    for (std::size_t b = m_blocks.size(); b-- > 0 && m_blocks.size() > 1;)
        if (m_blocks[b].pieces.empty())
            m_blocks.erase(m_blocks.begin() + std::ptrdiff_t(b));
}

void ReplayText::insert(Place at, const Piece& piece)
{
    Block& block = m_blocks[at.block];
    block.pieces.insert(block.pieces.begin() + std::ptrdiff_t(at.piece), piece);
    block.length += piece.length;
    if (block.pieces.size() <= MostPieces)
        return;
    Block second;
    const auto middle = block.pieces.begin() + std::ptrdiff_t(block.pieces.size() / 2);
    second.pieces.assign(middle, block.pieces.end());
    block.pieces.erase(middle, block.pieces.end());
    for (const Piece& p : second.pieces)
        second.length += p.length;
    block.length -= second.length;
    m_blocks.insert(m_blocks.begin() + std::ptrdiff_t(at.block) + 1, std::move(second));
}

bool ReplayText::replace(qint64 position, qint64 removed, QStringView inserted)
{
    if (position < 0 || removed < 0 || position > m_length || removed > m_length - position)
        return false;
    if (removed > 0) {
        boundary(position + removed);
        erase(boundary(position), removed);
    }
    if (!inserted.isEmpty()) {
        const Piece piece{true, m_inserted.size(), inserted.size()};
        m_inserted.append(inserted);
        insert(boundary(position), piece);
    }
    m_length += inserted.size() - removed;
    return true;
}

QString ReplayText::toString() const
{
    QString whole;
    whole.reserve(qsizetype(m_length));
    for (const Block& block : m_blocks)
        for (const Piece& p : block.pieces)
            whole.append(QStringView(p.inserted ? m_inserted : m_original).sliced(p.start, p.length));
    return whole;
}
