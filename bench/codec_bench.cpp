// The file codec alone, on 8 MB of text in each encoding it reads: bytes
// to the editor's text and back. Google Benchmark; figures in bytes per
// second of the file.

#include "codec/textcodec.h"

#include <QStringEncoder>

#include <benchmark/benchmark.h>

namespace {

constexpr qsizetype FileSize = 8 * 1000 * 1000;

// Lines of words with some accented letters, LF breaks.
QString sampleText()
{
    const QString words[] = {u"lorem "_qs, u"ipsum "_qs, u"caf\u00E9 "_qs, u"cr\u00E8me "_qs,
                             u"dolor "_qs, u"sit "_qs,      u"\u00E0 "_qs,      u"texte\n"_qs};
    QString text;
    for (int w = 0; text.size() < FileSize; ++w)
        text += words[w % 8];
    return text;
}

enum Sample { Utf8, Windows1252, Utf8WithBadBytes, Utf16 };

QByteArray sampleBytes(Sample sample)
{
    const QString text = sampleText();
    switch (sample) {
    case Utf8: return text.toUtf8();
    case Windows1252: return text.toLatin1();
    case Utf8WithBadBytes: {
        QByteArray bytes = text.toUtf8();
        for (qsizetype at = 1000; at < bytes.size(); at += 10000)
            if (bytes[at] == ' ')
                bytes[at] = char(0xE9);
        return bytes;
    }
    case Utf16: {
        QStringEncoder encoder(QStringConverter::Utf16LE);
        return QByteArray("\xFF\xFE") + QByteArray(encoder(text));
    }
    }
    return {};
}

void decode(benchmark::State& state)
{
    const QByteArray bytes = sampleBytes(Sample(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(decodeTextFile(bytes));
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

void encode(benchmark::State& state)
{
    const QByteArray bytes = sampleBytes(Sample(state.range(0)));
    const DecodedText decoded = decodeTextFile(bytes);
    for (auto _ : state) {
        const EncodedText out = encodeTextFile(decoded.text, decoded.format);
        if (out.bytes != bytes)
            state.SkipWithError("not written back byte for byte");
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

void samples(benchmark::internal::Benchmark* b)
{
    b->ArgName("utf8_cp1252_damaged_utf16")->DenseRange(Utf8, Utf16)->Unit(benchmark::kMillisecond);
}

}

BENCHMARK(decode)->Apply(samples);
BENCHMARK(encode)->Apply(samples);
BENCHMARK_MAIN();
