#pragma once

// Helpers the explorer benchmarks share: making many empty files fast, and
// the heap in use.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

inline std::size_t heapInUse() { return mallinfo2().uordblks; }

// An empty file at path (an existing one is left as it is).
inline bool touch(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

// count empty files prefix0, prefix1, ... in folder, made first when
// missing. The program ends when one cannot be made.
inline void makeFiles(const QString& folder, const QString& prefix, int count)
{
    QDir().mkpath(folder);
    for (int i = 0; i < count; ++i) {
        if (!touch(QFile::encodeName(folder + u'/' + prefix + QString::number(i)))) {
            std::fprintf(stderr, "cannot create files in %s\n", qPrintable(folder));
            std::exit(1);
        }
    }
}
