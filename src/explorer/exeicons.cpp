#include "explorer/exeicons.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPixmap>

#include <optional>
#include <vector>

namespace {
constexpr quint32 IconType = 3;      // one image of an icon
constexpr quint32 GroupIconType = 14; // the directory of an icon's images

// Bounds-checked little-endian reads over the file.
class Reader {
public:
    explicit Reader(QByteArrayView bytes) : m_bytes(bytes) {}
    bool has(quint64 offset, quint64 size) const
    {
        return offset <= quint64(m_bytes.size()) && size <= quint64(m_bytes.size()) - offset;
    }
    std::optional<quint32> u16(quint64 at) const
    {
        if (!has(at, 2))
            return std::nullopt;
        return quint32(byte(at) | byte(at + 1) << 8);
    }
    std::optional<quint32> u32(quint64 at) const
    {
        if (!has(at, 4))
            return std::nullopt;
        return quint32(byte(at) | byte(at + 1) << 8 | byte(at + 2) << 16 | quint32(byte(at + 3)) << 24);
    }
    QByteArrayView slice(quint64 at, quint64 size) const
    {
        return has(at, size) ? m_bytes.sliced(qsizetype(at), qsizetype(size)) : QByteArrayView();
    }

private:
    quint32 byte(quint64 at) const { return static_cast<unsigned char>(m_bytes[qsizetype(at)]); }
    QByteArrayView m_bytes;
};

struct Section {
    quint32 virtualAddress, virtualSize, rawSize, rawOffset;
};

struct ResourceEntry {
    quint32 id;       // 0 for named entries
    bool named;
    quint32 offset;   // within the resource section
    bool directory;
};

class PeResources {
public:
    explicit PeResources(QByteArrayView bytes) : m_file(bytes) { m_valid = load(); }
    bool valid() const { return m_valid; }

    std::vector<ResourceEntry> entries(quint32 directoryOffset) const
    {
        std::vector<ResourceEntry> out;
        const auto named = m_file.u16(m_base + directoryOffset + 12);
        const auto ids = m_file.u16(m_base + directoryOffset + 14);
        if (!named || !ids)
            return out;
        for (quint32 i = 0; i < *named + *ids; ++i) {
            const quint64 at = m_base + directoryOffset + 16 + quint64(i) * 8;
            const auto name = m_file.u32(at);
            const auto data = m_file.u32(at + 4);
            if (!name || !data)
                return {};
            out.push_back({(*name & 0x80000000u) ? 0 : *name, (*name & 0x80000000u) != 0, *data & 0x7FFFFFFFu,
                           (*data & 0x80000000u) != 0});
        }
        return out;
    }

    std::optional<quint32> subdirectory(quint32 directoryOffset, quint32 id) const
    {
        for (const ResourceEntry& e : entries(directoryOffset)) {
            if (!e.named && e.id == id && e.directory)
                return e.offset;
        }
        return std::nullopt;
    }

    // The data of the first language of a name entry.
    QByteArrayView data(const ResourceEntry& nameEntry) const
    {
        if (!nameEntry.directory)
            return {};
        const std::vector<ResourceEntry> languages = entries(nameEntry.offset);
        if (languages.empty() || languages.front().directory)
            return {};
        const auto rva = m_file.u32(m_base + languages.front().offset);
        const auto size = m_file.u32(m_base + languages.front().offset + 4);
        if (!rva || !size)
            return {};
        const auto offset = fileOffset(*rva);
        return offset ? m_file.slice(*offset, *size) : QByteArrayView();
    }

private:
    bool load()
    {
        if (m_file.slice(0, 2) != "MZ")
            return false;
        const auto pe = m_file.u32(0x3C);
        if (!pe || m_file.slice(*pe, 4) != QByteArrayView("PE\0\0", 4))
            return false;
        const quint64 coff = quint64(*pe) + 4;
        const auto sectionCount = m_file.u16(coff + 2);
        const auto optionalSize = m_file.u16(coff + 16);
        const auto magic = m_file.u16(coff + 20);
        if (!sectionCount || !optionalSize || !magic || (*magic != 0x10B && *magic != 0x20B))
            return false;
        const quint64 optional = coff + 20;
        const quint64 directories = optional + (*magic == 0x10B ? 96 : 112);
        const auto directoryCount = m_file.u32(optional + (*magic == 0x10B ? 92 : 108));
        if (!directoryCount || *directoryCount < 3)
            return false;
        const auto resourceRva = m_file.u32(directories + 2 * 8);
        if (!resourceRva || *resourceRva == 0)
            return false;
        const quint64 sectionTable = optional + *optionalSize;
        for (quint32 i = 0; i < *sectionCount; ++i) {
            const quint64 at = sectionTable + quint64(i) * 40;
            const auto va = m_file.u32(at + 12), vsize = m_file.u32(at + 8);
            const auto rsize = m_file.u32(at + 16), roffset = m_file.u32(at + 20);
            if (!va || !vsize || !rsize || !roffset)
                return false;
            m_sections.push_back({*va, *vsize, *rsize, *roffset});
        }
        const auto base = fileOffset(*resourceRva);
        if (!base)
            return false;
        m_base = *base;
        return true;
    }

    std::optional<quint64> fileOffset(quint32 rva) const
    {
        for (const Section& s : m_sections) {
            // Only what the file holds can be read: the raw size bounds it.
            if (rva >= s.virtualAddress && rva - s.virtualAddress < s.rawSize)
                return quint64(s.rawOffset) + (rva - s.virtualAddress);
        }
        return std::nullopt;
    }

    Reader m_file;
    std::vector<Section> m_sections;
    quint64 m_base = 0;
    bool m_valid = false;
};

QIcon iconFromIcoBytes(const QByteArray& ico)
{
    QBuffer buffer;
    buffer.setData(ico);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    QIcon icon;
    const int images = qMax(1, reader.imageCount());
    for (int i = 0; i < images; ++i) {
        if (i > 0 && !reader.jumpToImage(i))
            break;
        const QImage image = reader.read();
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

bool isIcoFile(QByteArrayView bytes)
{
    const Reader r(bytes);
    return r.u16(0) == 0u && r.u16(2) == 1u && r.u16(4).value_or(0) > 0;
}

// Rebuilds an .ico file from an icon group and the images it names.
QIcon iconFromGroup(const PeResources& pe, QByteArrayView group, quint32 iconsDirectory)
{
    const Reader g(group);
    const auto count = g.u16(4);
    if (!count || *count == 0)
        return {};
    std::vector<ResourceEntry> images = pe.entries(iconsDirectory);
    QByteArray header(6 + 16 * qsizetype(*count), '\0');
    QByteArray data;
    auto put16 = [&](qsizetype at, quint32 v) {
        header[at] = char(v & 0xFF);
        header[at + 1] = char(v >> 8);
    };
    auto put32 = [&](qsizetype at, quint32 v) {
        put16(at, v & 0xFFFF);
        put16(at + 2, v >> 16);
    };
    int written = 0;
    for (quint32 i = 0; i < *count; ++i) {
        const quint64 at = 6 + quint64(i) * 14;
        const auto id = g.u16(at + 12);
        if (!id)
            return {};
        QByteArrayView image;
        for (const ResourceEntry& e : images) {
            if (!e.named && e.id == *id)
                image = pe.data(e);
        }
        if (image.isEmpty())
            continue;
        const qsizetype entry = 6 + 16 * qsizetype(written);
        const QByteArrayView fields = g.slice(at, 8); // width, height, colours, reserved, planes, bits
        header.replace(entry, 8, fields.toByteArray());
        put32(entry + 8, quint32(image.size()));
        put32(entry + 12, quint32(data.size())); // made absolute below
        data.append(image.data(), image.size());
        ++written;
    }
    if (written == 0)
        return {};
    header.truncate(6 + 16 * qsizetype(written));
    put16(2, 1);
    put16(4, quint32(written));
    for (int i = 0; i < written; ++i) {
        const qsizetype entry = 6 + 16 * qsizetype(i);
        const auto relative = Reader(header).u32(quint64(entry + 12));
        put32(entry + 12, *relative + quint32(header.size()));
    }
    return iconFromIcoBytes(header + data);
}
}

QIcon extractIconFromBytes(QByteArrayView bytes, int number)
{
    if (number == -1)
        return {};
    if (isIcoFile(bytes))
        return number == 0 ? iconFromIcoBytes(bytes.toByteArray()) : QIcon();
    const PeResources pe(bytes);
    if (!pe.valid())
        return {};
    const auto groups = pe.subdirectory(0, GroupIconType);
    const auto icons = pe.subdirectory(0, IconType);
    if (!groups || !icons)
        return {};
    const std::vector<ResourceEntry> entries = pe.entries(*groups);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const bool wanted = number >= 0 ? i == std::size_t(number) : (!entries[i].named && entries[i].id == quint32(-number));
        if (wanted)
            return iconFromGroup(pe, pe.data(entries[i]), *icons);
    }
    return {};
}

QIcon extractIcon(const QString& file, int number)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const qint64 size = f.size();
    if (size <= 0)
        return {};
    const uchar* mapped = f.map(0, size);
    if (!mapped)
        return {};
    QIcon icon = extractIconFromBytes(QByteArrayView(reinterpret_cast<const char*>(mapped), qsizetype(size)), number);
    f.unmap(const_cast<uchar*>(mapped));
    return icon;
}
