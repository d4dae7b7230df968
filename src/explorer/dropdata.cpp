#include "explorer/dropdata.h"

#include "explorer/shellfolder.h"
#include "platform/errors.h"

#include <QFile>
#include <QMimeData>
#include <QUrl>

namespace {
void append32(QByteArray& out, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        out.append(char((v >> (8 * i)) & 0xFF));
}

std::optional<quint32> read32(const QByteArray& in, qsizetype at)
{
    if (at < 0 || at + 4 > in.size())
        return std::nullopt;
    quint32 v = 0;
    for (int i = 0; i < 4; ++i)
        v |= quint32(static_cast<unsigned char>(in[at + i])) << (8 * i);
    return v;
}

PidlView viewOf(const QByteArray& bytes) { return PidlView(reinterpret_cast<PCIDL>(bytes.constData())); }

QByteArray joined(const QByteArray& folder, const QByteArray& item)
{
    return folder.chopped(2) + item;
}
}

QString TSxDragFormat::mimeType(const char* formatName)
{
    return QStringLiteral("application/x-qt-windows-mime;value=\"%1\"").arg(QLatin1StringView(formatName));
}

TDropPIDLSource::TDropPIDLSource(PidlView folderId, const std::vector<PidlView>& relativeIds, quint32 dragTypes)
    : m_folder(folderId.bytes().toByteArray()), m_dragTypes(dragTypes)
{
    for (PidlView id : relativeIds)
        m_items.push_back(id.bytes().toByteArray());
}

QMimeData* TDropPIDLSource::createMimeData() const
{
    auto* data = new QMimeData;
    QList<QUrl> urls;
    QByteArray names;
    QByteArray wideNames;
    for (const QByteArray& item : m_items) {
        const QByteArray path = nativePathFromIdList(viewOf(joined(m_folder, item)));
        if (!path.isEmpty())
            urls << QUrl::fromEncoded("file://" + path.toPercentEncoding("/"));
        const QByteArray name = viewOf(item).lastName().toByteArray();
        names += name + '\0';
        const QString wide = QFile::decodeName(name);
        for (QChar c : wide) {
            wideNames.append(char(c.unicode() & 0xFF));
            wideNames.append(char(c.unicode() >> 8));
        }
        wideNames.append(2, '\0');
    }
    names += '\0';
    wideNames.append(2, '\0');
    data->setUrls(urls);

    QByteArray cida;
    const quint32 count = quint32(m_items.size());
    append32(cida, count);
    quint32 offset = 4 * (count + 2);
    append32(cida, offset);
    offset += quint32(m_folder.size());
    for (const QByteArray& item : m_items) {
        append32(cida, offset);
        offset += quint32(item.size());
    }
    cida += m_folder;
    for (const QByteArray& item : m_items)
        cida += item;
    data->setData(TSxDragFormat::mimeType(TSxDragFormat::ShellIdListArray), cida);

    QByteArray effect;
    append32(effect, m_dragTypes);
    data->setData(TSxDragFormat::mimeType(TSxDragFormat::PreferredDropEffect), effect);
    data->setData(TSxDragFormat::mimeType(TSxDragFormat::FileNameMap), names);
    data->setData(TSxDragFormat::mimeType(TSxDragFormat::FileNameMapW), wideNames);
    return data;
}

TDropPIDLTarget::TDropPIDLTarget(const QMimeData* data)
{
    if (!data)
        return;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            m_fileNames << url.toLocalFile();
    }
    m_preferredEffect = read32(data->data(TSxDragFormat::mimeType(TSxDragFormat::PreferredDropEffect)), 0)
                            .value_or(TSxDropEffect::None);

    // Everything in a dropped array is checked: it comes from another program.
    const QByteArray cida = data->data(TSxDragFormat::mimeType(TSxDragFormat::ShellIdListArray));
    const auto count = read32(cida, 0);
    if (!count || *count > quint32(cida.size() / 4))
        return;
    std::vector<QByteArray> ids;
    for (quint32 i = 0; i <= *count; ++i) {
        const auto offset = read32(cida, 4 + qsizetype(i) * 4);
        if (!offset)
            return;
        const qsizetype size = validItemIdSize(cida, qsizetype(*offset));
        if (size < 0)
            return;
        ids.push_back(cida.mid(qsizetype(*offset), size));
    }
    m_folder = ids.front();
    m_items.assign(ids.begin() + 1, ids.end());
    m_hasIdList = true;
}

PidlView TDropPIDLTarget::folderId() const { return m_hasIdList ? viewOf(m_folder) : PidlView(); }

PidlView TDropPIDLTarget::item(int index) const
{
    if (index < 0 || index >= itemCount())
        return {};
    return viewOf(m_items[std::size_t(index)]);
}

QString TDropPIDLTarget::fileName(int index) const
{
    if (index < 0 || index >= fileNameCount())
        throw ScrivoError(QStringLiteral("Filename index out of range"));
    return m_fileNames[index];
}
