#pragma once

#include <QByteArray>
#include <QFile>
#include <QFontDatabase>
#include <QString>
#include <QtEndian>

// A copy of an installed font registered under another foundry, so that
// the font database knows its family from two foundries and lists it as
// "Family [Foundry]", as systems with fonts of one name from several
// makers do. The foundry comes from the vendor code of the font's OS/2
// table. Unregistered when it goes.
class SecondFoundryFont {
public:
    explicit SecondFoundryFont(const QString& fontFile, const QByteArray& vendor = QByteArrayLiteral("ZZTS"))
    {
        QFile file(fontFile);
        if (!file.open(QIODevice::ReadOnly))
            return;
        QByteArray bytes = file.readAll();
        if (!setVendor(bytes, vendor))
            return;
        m_id = QFontDatabase::addApplicationFontFromData(bytes);
    }
    ~SecondFoundryFont()
    {
        if (m_id >= 0)
            QFontDatabase::removeApplicationFont(m_id);
    }
    SecondFoundryFont(const SecondFoundryFont&) = delete;
    SecondFoundryFont& operator=(const SecondFoundryFont&) = delete;

    bool isLoaded() const { return m_id >= 0; }

private:
    // The table directory follows a 12-byte header; each entry is a tag,
    // a checksum, an offset and a length. The vendor code lies 58 bytes
    // into the OS/2 table.
    static bool setVendor(QByteArray& font, const QByteArray& vendor)
    {
        if (font.size() < 12 || vendor.size() != 4)
            return false;
        const int tables = qFromBigEndian<quint16>(font.constData() + 4);
        for (int i = 0; i < tables; ++i) {
            const qsizetype entry = 12 + qsizetype(i) * 16;
            if (entry + 16 > font.size())
                return false;
            if (font.mid(entry, 4) != "OS/2")
                continue;
            const qsizetype at = qFromBigEndian<quint32>(font.constData() + entry + 8) + 58;
            if (at + 4 > font.size())
                return false;
            font.replace(at, 4, vendor);
            return true;
        }
        return false;
    }

    int m_id = -1;
};
