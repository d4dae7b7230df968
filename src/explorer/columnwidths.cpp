#include "explorer/columnwidths.h"

#include <QSettings>
#include <QtEndian>

#include <algorithm>

QByteArray TSxColumnWidths::encode(const Widths& widths)
{
    QByteArray bytes(2 * TSxListColumn::Count, '\0');
    for (int i = 0; i < TSxListColumn::Count; ++i)
        qToLittleEndian<quint16>(quint16(std::clamp(widths[std::size_t(i)], 0, 0xFFFF)), bytes.data() + 2 * i);
    return bytes;
}

std::optional<TSxColumnWidths::Widths> TSxColumnWidths::decode(const QByteArray& bytes)
{
    if (bytes.size() != 2 * TSxListColumn::Count)
        return std::nullopt;
    Widths widths{};
    for (int i = 0; i < TSxListColumn::Count; ++i)
        widths[std::size_t(i)] = qFromLittleEndian<quint16>(bytes.constData() + 2 * i);
    return widths;
}

std::optional<TSxColumnWidths::Widths> TSxColumnWidths::read()
{
    const QSettings settings(QSettings::UserScope, QLatin1String(Organization));
    return decode(settings.value(QLatin1String(Key)).toByteArray());
}

void TSxColumnWidths::write(const Widths& widths)
{
    QSettings settings(QSettings::UserScope, QLatin1String(Organization));
    settings.setValue(QLatin1String(Key), encode(widths));
}
