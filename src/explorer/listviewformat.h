#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>
#include <QStringView>

struct TSxFindData;

// The texts of the file list's columns, and its name masks. No widgets.

enum class TSxSizeStyle { ssAbbreviated, ssFull };

// Bytes to kilobytes for the size column: divided by 1024, rounded to the
// nearest integer with halves going to the even neighbour, at least 1.
qint64 kilobytesOf(qint64 bytes);

// The size value a record keeps for sorting: kilobytes or bytes by style.
qint64 sizeValue(qint64 bytes, TSxSizeStyle style);

// "4,883KB" (abbreviated) or "5,000,000" (full), with the locale's group
// separator.
QString sizeText(qint64 bytes, TSxSizeStyle style);

// "RHSA" letters of what an item is: R not writable by this user, H name
// starting with a dot, S neither a regular file nor a folder (device, pipe,
// socket, a link leading nowhere). A is never shown: no file system here
// keeps an archive mark.
QString attributeText(const TSxFindData& data);

// A modification time (ms since the epoch, UTC) in local time: the
// locale's short date with a four-digit year, a space and the locale's long
// time without its time zone; the time is left out at exactly midnight.
// Empty for 0.
QString modifiedText(qint64 msecsSinceEpoch, const QLocale& locale = QLocale());

// Whether name matches a mask with * (any run) and ? (one character),
// without regard to case.
bool matchesMask(QStringView name, QStringView mask);

// A name list filter: entries starting with "-" exclude the names they
// match; the others include them. A name passes when no exclusion matches
// and an inclusion does, or when there are exclusions only.
bool passesFilters(QStringView name, const QStringList& filters);
