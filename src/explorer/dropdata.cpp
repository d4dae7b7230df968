#include "explorer/dropdata.h"

#include "explorer/shellfolder.h"
#include "explorer/shellqueries.h"
#include "explorer/volumes.h"
#include "platform/errors.h"
#include "platform/nativenames.h"

#include <QFile>
#include <QMimeData>
#include <QUrl>

namespace {
// A local file URL's path with its bytes kept (toLocalFile would turn a
// byte that is not UTF-8 into U+FFFD).
QString localPathOf(const QUrl& url)
{
    return NativeNames::fromNative(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
}

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

int effectLevel(quint32 effect)
{
    if (effect & TSxDropEffect::Move)
        return 3;
    if (effect & TSxDropEffect::Copy)
        return 2;
    if (effect & TSxDropEffect::Link)
        return 1;
    return 0;
}

// What a drop onto targetId carries, as identifiers from the top; none when
// the items come from that folder.
std::vector<TSxPidl> droppedItems(const TDropPIDLTarget& dropped, PidlView targetId)
{
    std::vector<TSxPidl> items;
    if (dropped.hasIdList()) {
        if (dropped.folderId() == targetId)
            return {}; // back where they come from
        for (int i = 0; i < dropped.itemCount(); ++i)
            items.push_back(TSxPidl::combine(dropped.folderId(), dropped.item(i), "SxExplorerTreeView: GetDropEffect"));
        return items;
    }
    for (int i = 0; i < dropped.fileNameCount(); ++i) {
        TSxPidl id = TSxShellFolder::desktop()->parseDisplayName(dropped.fileName(i),
                                                                 "SxExplorerTreeView: GetDropEffect");
        if (id.isNull())
            return {};
        TSxPidl parent = id.copy("SxExplorerTreeView: GetDropEffect");
        parent.removeLast();
        if (pathFromIdList(parent) == pathFromIdList(targetId))
            return {};
        items.push_back(std::move(id));
    }
    return items;
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
            m_fileNames << localPathOf(url);
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

quint32 TSxDropRules::proposedEffect(quint32 allowed, Qt::KeyboardModifiers keys, bool allPrograms, bool sameVolume)
{
    const bool ctrl = keys & Qt::ControlModifier;
    const bool shift = keys & Qt::ShiftModifier;
    quint32 effect;
    if (ctrl && shift)
        effect = TSxDropEffect::Link;
    else if (shift)
        effect = TSxDropEffect::Move;
    else if (ctrl)
        effect = TSxDropEffect::Copy;
    else if (allPrograms && (allowed & TSxDropEffect::Link))
        effect = TSxDropEffect::Link;
    else if (sameVolume && (allowed & TSxDropEffect::Move))
        effect = TSxDropEffect::Move;
    else {
        for (const quint32 candidate : {TSxDropEffect::Copy, TSxDropEffect::Move, TSxDropEffect::Link}) {
            if (allowed & candidate)
                return candidate;
        }
        return TSxDropEffect::None;
    }
    return (allowed & effect) ? effect : TSxDropEffect::None;
}

quint32 TSxDropRules::limitEffect(quint32 effect, quint32 maximum)
{
    const int most = effectLevel(maximum);
    if (effect == TSxDropEffect::Move && most < 3)
        effect = TSxDropEffect::Copy;
    if (effect == TSxDropEffect::Copy && most < 2)
        effect = TSxDropEffect::Link;
    if (effect == TSxDropEffect::Link && most < 1)
        effect = TSxDropEffect::None;
    return effect;
}

quint32 TSxDropRules::effectOnto(PidlView targetId, bool acceptsDrops, const QMimeData* data,
                                 Qt::KeyboardModifiers keys)
{
    if (!data)
        return TSxDropEffect::None;
    const TDropPIDLTarget dropped(data);
    const std::vector<TSxPidl> items = droppedItems(dropped, targetId);
    if (items.empty())
        return TSxDropEffect::None;
    for (const TSxPidl& item : items) {
        // Never into itself or below.
        if (item.view() == targetId || item.view().isParentOf(targetId))
            return TSxDropEffect::None;
    }
    if (!acceptsDrops)
        return TSxDropEffect::None;
    const quint32 allowed = dropped.preferredDropEffect()
        ? dropped.preferredDropEffect()
        : TSxDropEffect::Copy | TSxDropEffect::Move | TSxDropEffect::Link;
    const TSxVolumeTable volumes = TSxVolumeTable::current();
    const TSxMountEntry* targetVolume = volumes.mountOf(nativePathFromIdList(targetId));
    bool allPrograms = true;
    bool sameVolume = true;
    bool canMove = true;
    bool canCopy = true;
    bool canLink = true;
    for (const TSxPidl& item : items) {
        const QString path = pathFromIdList(item);
        allPrograms = allPrograms && IsProgram(path);
        const TSxMountEntry* volume = volumes.mountOf(nativePathFromIdList(item));
        sameVolume = sameVolume && volume && targetVolume && volume->mountPoint == targetVolume->mountPoint;
        canMove = canMove && HasAttributeFromPIDL(TSxAttr::CanMove, item);
        canCopy = canCopy && HasAttributeFromPIDL(TSxAttr::CanCopy, item);
        canLink = canLink && HasAttributeFromPIDL(TSxAttr::CanLink, item);
    }
    const quint32 maximum = canMove ? TSxDropEffect::Move
        : canCopy                   ? TSxDropEffect::Copy
        : canLink                   ? TSxDropEffect::Link
                                    : TSxDropEffect::None;
    return limitEffect(proposedEffect(allowed, keys, allPrograms, sameVolume), maximum);
}

QStringList TSxDropRules::droppedPaths(const QMimeData* data)
{
    const TDropPIDLTarget dropped(data);
    QStringList sources;
    if (dropped.hasIdList()) {
        for (int i = 0; i < dropped.itemCount(); ++i) {
            const TSxPidl id = TSxPidl::combine(dropped.folderId(), dropped.item(i), "SxExplorerTreeView: DropFiles");
            sources << pathFromIdList(id);
        }
    } else {
        for (int i = 0; i < dropped.fileNameCount(); ++i)
            sources << dropped.fileName(i);
    }
    return sources;
}

Qt::DropAction TSxDropRules::qtAction(quint32 effect)
{
    switch (effect) {
    case TSxDropEffect::Move: return Qt::MoveAction;
    case TSxDropEffect::Copy: return Qt::CopyAction;
    case TSxDropEffect::Link: return Qt::LinkAction;
    default: return Qt::IgnoreAction;
    }
}
