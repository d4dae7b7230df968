// Cost of the settings file: reading it (every restore), a store's save in
// memory, and a save to disk as one atomic write, against writing each key
// with its own read and write as the per-key profile functions do.
#include "settings/profilefile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

QStringList keysOf(const QString& prefix, int count)
{
    QStringList keys;
    for (int i = 0; i < count; ++i)
        keys << prefix + QString::number(i);
    return keys;
}

// A settings file as four stores leave it: placement keys and ~30 values in
// the main window's section.
QByteArray typicalFile()
{
    ProfileFile profile = ProfileFile::fromBytes({});
    const char* sections[] = {"TOption", "TFp", "TFind", "TFindReplace"};
    const int values[] = {13, 30, 2, 2};
    for (int s = 0; s < 4; ++s) {
        const QString section = QString::fromLatin1(sections[s]);
        for (const char* key : {"Flags", "ShowCmd", "PixelsPerInch", "MinMaxPos(1920x1080)", "MinMaxPos",
                                "NormPos(1920x1080)", "NormPos", "Visible"})
            profile.writeString(section, QString::fromLatin1(key), QStringLiteral("1,2,3,4"));
        for (const QString& key : keysOf(QStringLiteral("component_Property"), values[s]))
            profile.writeString(section, key, QStringLiteral("True"));
    }
    return profile.toBytes();
}

// typicalFile() written in dir; its path.
QString writeTypicalFile(const QTemporaryDir& dir)
{
    const QString path = dir.path() + QStringLiteral("/bench.INI");
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(typicalFile());
    return path;
}

void BM_ReadSettingsFile(benchmark::State& state)
{
    const QByteArray bytes = typicalFile();
    const QStringList keys = keysOf(QStringLiteral("component_Property"), 30);
    for (auto _ : state) {
        const ProfileFile profile = ProfileFile::fromBytes(bytes);
        for (const QString& key : keys)
            benchmark::DoNotOptimize(profile.value(QStringLiteral("TFp"), key));
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_ReadSettingsFile);

void BM_SaveOneStoreInMemory(benchmark::State& state)
{
    const QByteArray bytes = typicalFile();
    const QStringList keys = keysOf(QStringLiteral("component_Property"), 30);
    int round = 0;
    for (auto _ : state) {
        ProfileFile profile = ProfileFile::fromBytes(bytes);
        for (const QString& key : keys)
            profile.writeString(QStringLiteral("TFp"), key, QString::number(++round));
        benchmark::DoNotOptimize(profile.toBytes());
    }
}
BENCHMARK(BM_SaveOneStoreInMemory);

void BM_SaveOneStoreToDisk(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = writeTypicalFile(dir);
    const QStringList keys = keysOf(QStringLiteral("component_Property"), 30);
    int round = 0;
    for (auto _ : state) {
        ProfileFile profile(path);
        for (const QString& key : keys)
            profile.writeString(QStringLiteral("TFp"), key, QString::number(++round));
        profile.save();
    }
}
BENCHMARK(BM_SaveOneStoreToDisk)->Unit(benchmark::kMillisecond);

// What one save would cost written key by key, each with its own read and
// atomic write.
void BM_SaveOneStoreKeyByKey(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = writeTypicalFile(dir);
    const QStringList keys = keysOf(QStringLiteral("component_Property"), 30);
    int round = 0;
    for (auto _ : state) {
        for (const QString& key : keys) {
            ProfileFile profile(path);
            profile.writeString(QStringLiteral("TFp"), key, QString::number(++round));
            profile.save();
        }
    }
}
BENCHMARK(BM_SaveOneStoreKeyByKey)->Unit(benchmark::kMillisecond);

}

BENCHMARK_MAIN();
