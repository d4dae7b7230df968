#include "settings/formstorage.h"

#include "settings/profilefile.h"
#include "settings/propertycodec.h"

#include <QMetaProperty>
#include <QWidget>

namespace {

// Objects inside objects are followed this deep, no further.
constexpr int maxObjectDepth = 3;

QObject* findComponent(const QWidget* form, const QString& name)
{
    if (QObject* exact = form->findChild<QObject*>(name))
        return exact;
    // Component names, like the language they come from, ignore case.
    const QList<QObject*> all = form->findChildren<QObject*>();
    for (QObject* candidate : all)
        if (candidate->objectName().compare(name, Qt::CaseInsensitive) == 0)
            return candidate;
    return nullptr;
}

std::optional<QMetaProperty> findProperty(const QObject* object, const QString& name)
{
    const QMetaObject* meta = object->metaObject();
    const int exact = meta->indexOfProperty(name.toLatin1().constData());
    if (exact >= 0)
        return meta->property(exact);
    for (int i = 0; i < meta->propertyCount(); ++i)
        if (QLatin1String(meta->property(i).name()).compare(name, Qt::CaseInsensitive) == 0)
            return meta->property(i);
    return std::nullopt;
}

// The object's own properties, without those every QObject has.
QList<QMetaProperty> ownProperties(const QObject* object)
{
    QList<QMetaProperty> properties;
    const QMetaObject* meta = object->metaObject();
    for (int i = QObject::staticMetaObject.propertyCount(); i < meta->propertyCount(); ++i)
        properties << meta->property(i);
    return properties;
}

QObject* objectValue(const QMetaProperty& property, const QObject* owner)
{
    return qvariant_cast<QObject*>(property.read(owner));
}

void readProperty(const ProfileFile& file, const QString& section, QObject* owner, const QMetaProperty& property,
                  const QString& key, int depth)
{
    if (!property.isReadable())
        return;
    if (PropertyCodec::isObject(property)) {
        QObject* object = objectValue(property, owner);
        if (!object || depth >= maxObjectDepth)
            return;
        for (const QMetaProperty& inner : ownProperties(object))
            readProperty(file, section, object, inner, key + QLatin1String(inner.name()), depth + 1);
        return;
    }
    if (!property.isWritable())
        return;
    // A missing key leaves the property as it is.
    const std::optional<QString> text = file.value(section, key);
    if (!text)
        return;
    if (const std::optional<QVariant> value = PropertyCodec::decode(property, text->trimmed()))
        property.write(owner, *value);
}

void writeProperty(SettingsValues& values, const QObject* owner, const QMetaProperty& property, const QString& key,
                   int depth)
{
    if (!property.isReadable())
        return;
    if (PropertyCodec::isObject(property)) {
        const QObject* object = objectValue(property, owner);
        if (!object || depth >= maxObjectDepth)
            return;
        for (const QMetaProperty& inner : ownProperties(object))
            writeProperty(values, object, inner, key + QLatin1String(inner.name()), depth + 1);
        return;
    }
    const std::optional<QString> text = PropertyCodec::encode(property, property.read(owner));
    if (!text)
        return;
    // Only a string may be kept empty.
    if (text->isEmpty() && !PropertyCodec::isString(property))
        return;
    values.emplace_back(key, *text);
}

}

TFormStorage::TFormStorage(QWidget* form, const QString& objectName, const QStringList& storedProps)
    : TFormPlacement(form, objectName)
{
    for (const QString& entry : storedProps) {
        const qsizetype dot = entry.indexOf(u'.');
        if (dot < 0)
            continue;
        const QString component = entry.left(dot).trimmed();
        const QString property = entry.mid(dot + 1).trimmed();
        if (component.isEmpty() || property.isEmpty())
            continue;
        QObject* target = findComponent(form, component);
        if (!target)
            continue;
        m_entries.push_back(Entry{component, property, target, target});
        connect(target, &QObject::destroyed, this, [this](QObject* gone) {
            std::erase_if(m_entries, [gone](const Entry& e) { return e.boundTo == gone; });
        });
    }
}

TFormStorage::~TFormStorage() = default;

QStringList TFormStorage::StoredProps() const
{
    QStringList entries;
    for (const Entry& entry : m_entries)
        entries << entry.component + u'.' + entry.property;
    return entries;
}

void TFormStorage::readStoredProperties(const ProfileFile& file, const QString& section)
{
    // Work on a copy: applying a value may destroy a component and so
    // remove entries.
    const std::vector<Entry> entries = m_entries;
    for (const Entry& entry : entries) {
        QObject* target = entry.target;
        if (!target)
            continue;
        const std::optional<QMetaProperty> property = findProperty(target, entry.property);
        if (!property)
            continue;
        // A value that cannot be applied is passed over.
        try {
            readProperty(file, section, target, *property, entry.component + u'_' + entry.property, 0);
        } catch (...) {
        }
    }
}

void TFormStorage::writeStoredProperties(SettingsValues& values) const
{
    for (const Entry& entry : m_entries) {
        const QObject* target = entry.target;
        if (!target)
            continue;
        if (const std::optional<QMetaProperty> property = findProperty(target, entry.property))
            writeProperty(values, target, *property, entry.component + u'_' + entry.property, 0);
    }
}
