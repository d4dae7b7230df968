// The text store on its own (no widget): taking in a large file's bytes,
// finding lines and positions, reading a screenful, typing and deleting in
// the middle, undoing a large deletion.
//
//   textstore_bench [--benchmark_filter=...]

#include "text/textstore.h"

#include <benchmark/benchmark.h>

#include <QRandomGenerator>

namespace {

constexpr qsizetype Megabyte = 1024 * 1024;

// A file of about size bytes, lines of 20 to 180 characters, CRLF breaks,
// one accented word in ten.
const QByteArray& fileBytes(qsizetype size)
{
    static QByteArray bytes;
    if (bytes.size() >= size)
        return bytes;
    QRandomGenerator random(7);
    bytes.clear();
    bytes.reserve(size + 256);
    static const char* const words[] = {"lorem ", "ipsum ", "dolor ", "sit ", "amet, ", "consectetur ",
                                        "adipiscing ", "elit ", "sed ", "\xC3\xA9t\xC3\xA9 "};
    while (bytes.size() < size) {
        const int lineLength = 20 + int(random.bounded(160));
        const qsizetype start = bytes.size();
        while (bytes.size() - start < lineLength)
            bytes += words[random.bounded(10)];
        bytes += "\r\n";
    }
    return bytes;
}

// The store as a loader fills it: chunks of 64 KiB cut at clean junctions.
void load(TextStore& store, const QByteArray& bytes)
{
    store.clear();
    const qsizetype target = store.limits().target;
    for (qsizetype at = 0; at < bytes.size();) {
        const QByteArrayView rest = QByteArrayView(bytes).sliced(at);
        const qsizetype cut = rest.size() <= target ? rest.size() : TextBytes::tokenBoundaryAtOrBefore(rest, target);
        store.appendLoaded(TextChunk::from(rest.first(cut).toByteArray()));
        at += cut;
    }
}

TextStore& loadedStore(qsizetype size)
{
    static TextStore store;
    static qsizetype loadedSize = 0;
    if (loadedSize != size) {
        load(store, fileBytes(size));
        loadedSize = size;
    }
    return store;
}

void BM_LoadChunks(benchmark::State& state)
{
    const QByteArray& bytes = fileBytes(state.range(0) * Megabyte);
    for (auto _ : state) {
        TextStore store;
        load(store, bytes);
        benchmark::DoNotOptimize(store.lineCount());
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_LoadChunks)->Arg(100)->Unit(benchmark::kMillisecond);

void BM_LineStart(benchmark::State& state)
{
    TextStore& store = loadedStore(100 * Megabyte);
    QRandomGenerator random(1);
    for (auto _ : state)
        benchmark::DoNotOptimize(store.lineStart(random.bounded(qint64(store.lineCount()))));
}
BENCHMARK(BM_LineStart);

void BM_LineOfPosition(benchmark::State& state)
{
    TextStore& store = loadedStore(100 * Megabyte);
    QRandomGenerator random(2);
    for (auto _ : state)
        benchmark::DoNotOptimize(store.lineOfPosition(random.bounded(store.length())));
}
BENCHMARK(BM_LineOfPosition);

// What a view reads for one screen: 60 lines from a random place.
void BM_ReadScreen(benchmark::State& state)
{
    TextStore& store = loadedStore(100 * Megabyte);
    QRandomGenerator random(3);
    for (auto _ : state) {
        const qint64 top = random.bounded(store.lineCount() - 60);
        for (qint64 line = top; line < top + 60; ++line)
            benchmark::DoNotOptimize(store.lineText(line));
    }
}
BENCHMARK(BM_ReadScreen)->Unit(benchmark::kMicrosecond);

// A keystroke in the middle of 100 MB, then its Backspace.
void BM_TypeAndDeleteInTheMiddle(benchmark::State& state)
{
    TextStore& store = loadedStore(100 * Megabyte);
    const qint64 middle = store.lineStart(store.lineCount() / 2) + 7;
    for (auto _ : state) {
        store.insert(middle, QStringLiteral("x"), EditKind::Typing);
        store.remove(middle, 1, EditKind::Backspace);
    }
    store.history().clear();
}
BENCHMARK(BM_TypeAndDeleteInTheMiddle)->Unit(benchmark::kMicrosecond);

// Half of 100 MB deleted and the deletion undone: chunks move whole.
void BM_DeleteHalfAndUndo(benchmark::State& state)
{
    TextStore& store = loadedStore(100 * Megabyte);
    for (auto _ : state) {
        store.remove(store.length() / 4, store.length() / 2);
        store.undo();
    }
    store.history().clear();
}
BENCHMARK(BM_DeleteHalfAndUndo)->Unit(benchmark::kMillisecond);

void BM_WholeText(benchmark::State& state)
{
    TextStore& store = loadedStore(100 * Megabyte);
    for (auto _ : state)
        benchmark::DoNotOptimize(store.text());
    state.SetBytesProcessed(state.iterations() * store.byteCount());
}
BENCHMARK(BM_WholeText)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
