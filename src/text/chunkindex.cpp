#include "text/chunkindex.h"

#include <bit>

namespace {
qsizetype lowBit(qsizetype i) { return i & -i; }
}

void ChunkIndex::rebuild(const std::vector<Counts>& chunks)
{
    const qsizetype n = qsizetype(chunks.size());
    m_tree.assign(std::size_t(n) + 1, Counts{});
    m_total = Counts{};
    for (qsizetype i = 1; i <= n; ++i) {
        m_tree[std::size_t(i)] += chunks[std::size_t(i - 1)];
        m_total += chunks[std::size_t(i - 1)];
        const qsizetype parent = i + lowBit(i);
        if (parent <= n)
            m_tree[std::size_t(parent)] += m_tree[std::size_t(i)];
    }
}

void ChunkIndex::append(const Counts& chunk)
{
    const qsizetype i = size() + 1;
    // The new node covers (i - lowBit(i), i]: the chunk plus the nodes below.
    Counts node = chunk;
    for (qsizetype j = i - 1; j > i - lowBit(i); j -= lowBit(j))
        node += m_tree[std::size_t(j)];
    m_tree.push_back(node);
    m_total += chunk;
}

void ChunkIndex::add(qsizetype chunk, const Counts& delta)
{
    const qsizetype n = size();
    for (qsizetype i = chunk + 1; i <= n; i += lowBit(i))
        m_tree[std::size_t(i)] += delta;
    m_total += delta;
}

ChunkIndex::Counts ChunkIndex::before(qsizetype chunk) const
{
    Counts sum;
    for (qsizetype i = chunk; i > 0; i -= lowBit(i))
        sum += m_tree[std::size_t(i)];
    return sum;
}

template <typename Field>
qsizetype ChunkIndex::reaching(qint64 target, Field field) const
{
    const qsizetype n = size();
    if (n == 0)
        return 0;
    qsizetype pos = 0;
    for (qsizetype step = std::bit_floor(std::size_t(n)); step > 0; step >>= 1) {
        const qsizetype next = pos + step;
        if (next <= n && field(m_tree[std::size_t(next)]) < target) {
            pos = next;
            target -= field(m_tree[std::size_t(next)]);
        }
    }
    return pos;
}

qsizetype ChunkIndex::chunkReachingUnits(qint64 units) const
{
    return reaching(units, [](const Counts& c) { return c.units; });
}

qsizetype ChunkIndex::chunkReachingBreaks(qint64 breaks) const
{
    return reaching(breaks, [](const Counts& c) { return c.breaks; });
}
