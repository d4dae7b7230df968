#pragma once

#include <QtGlobal>

#include <vector>

// Running totals over the store's chunks (positions, line breaks, bytes), as
// a Fenwick tree: a chunk's counts change and a total up to a chunk is found
// in O(log n); adding a chunk at the end too. Inserting or removing chunks
// elsewhere rebuilds it in O(n) (n is the number of chunks, some 16,000 for
// a gigabyte).
class ChunkIndex {
public:
    struct Counts {
        qint64 units = 0;
        qint64 breaks = 0;
        qint64 bytes = 0;
        Counts& operator+=(const Counts& o)
        {
            units += o.units;
            breaks += o.breaks;
            bytes += o.bytes;
            return *this;
        }
        Counts& operator-=(const Counts& o)
        {
            units -= o.units;
            breaks -= o.breaks;
            bytes -= o.bytes;
            return *this;
        }
    };

    qsizetype size() const { return qsizetype(m_tree.size()) - 1; }

    void rebuild(const std::vector<Counts>& chunks);
    void append(const Counts& chunk);
    void add(qsizetype chunk, const Counts& delta);

    // Totals of the chunks before chunk.
    Counts before(qsizetype chunk) const;
    const Counts& total() const { return m_total; }

    // The first chunk at whose end the running total of units reaches
    // units (size() when none does).
    qsizetype chunkReachingUnits(qint64 units) const;
    qsizetype chunkReachingBreaks(qint64 breaks) const;

private:
    template <typename Field>
    qsizetype reaching(qint64 target, Field field) const;

    std::vector<Counts> m_tree{Counts{}}; // 1-based
    Counts m_total;
};
