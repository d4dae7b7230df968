#include "explorer/listviewformat.h"

#include "explorer/shellfolder.h"
#include "explorer/shellqueries.h"

#include <QDateTime>

namespace {

// A date/time format with the given pattern letter left out (outside
// quoted text), with the spaces it leaves behind tidied.
QString withoutLetter(const QString& format, QChar letter)
{
    QString out;
    bool quoted = false;
    for (QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == letter)
            continue;
        out += c;
    }
    return out.simplified();
}

QString fourDigitYear(QString format)
{
    if (format.contains(QStringLiteral("yyyy")) || !format.contains(QStringLiteral("yy")))
        return format;
    return format.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
}

QChar fold(QChar c) { return c.toCaseFolded(); }

}

qint64 kilobytesOf(qint64 bytes)
{
    if (bytes <= 0)
        return 1;
    qint64 kb = bytes / 1024;
    const qint64 rest = bytes % 1024;
    if (rest > 512 || (rest == 512 && (kb & 1)))
        ++kb;
    return kb < 1 ? 1 : kb;
}

qint64 sizeValue(qint64 bytes, TSxSizeStyle style)
{
    return style == TSxSizeStyle::ssAbbreviated ? kilobytesOf(bytes) : bytes;
}

QString sizeText(qint64 bytes, TSxSizeStyle style)
{
    if (style == TSxSizeStyle::ssFull)
        return FormatThousands(bytes);
    return FormatThousands(kilobytesOf(bytes)) + QStringLiteral("KB");
}

QString attributeText(const TSxFindData& data)
{
    QString letters;
    if (data.readOnly)
        letters += u'R';
    if (data.hidden)
        letters += u'H';
    if (!data.isFolder && !data.isRegularFile)
        letters += u'S';
    return letters;
}

QString modifiedText(qint64 msecsSinceEpoch, const QLocale& locale)
{
    if (msecsSinceEpoch == 0)
        return {};
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch).toLocalTime();
    if (!local.isValid())
        return {};
    const QString date = locale.toString(local.date(), fourDigitYear(locale.dateFormat(QLocale::ShortFormat)));
    if (local.time() == QTime(0, 0))
        return date;
    const QString time = locale.toString(local.time(), withoutLetter(locale.timeFormat(QLocale::LongFormat), u't'));
    return date + u' ' + time;
}

bool matchesMask(QStringView name, QStringView mask)
{
    // Greedy match with one backtracking point: the last star seen.
    qsizetype n = 0, m = 0;
    qsizetype starMask = -1, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == u'*') {
            starMask = m++;
            starName = n;
        } else if (m < mask.size() && (mask[m] == u'?' || fold(mask[m]) == fold(name[n]))) {
            ++m;
            ++n;
        } else if (starMask >= 0) {
            m = starMask + 1;
            n = ++starName;
        } else
            return false;
    }
    while (m < mask.size() && mask[m] == u'*')
        ++m;
    return m == mask.size();
}

bool passesFilters(QStringView name, const QStringList& filters)
{
    bool included = false;
    bool anyInclusion = false;
    for (const QString& filter : filters) {
        if (filter.startsWith(u'-')) {
            if (matchesMask(name, QStringView(filter).mid(1)))
                return false;
            continue;
        }
        anyInclusion = true;
        if (!included && matchesMask(name, filter))
            included = true;
    }
    return included || !anyInclusion;
}
