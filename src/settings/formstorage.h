#pragma once

#include "settings/formplacement.h"

#include <QPointer>
#include <QStringList>

#include <vector>

// The settings store of a form: its placement and the properties its
// StoredProps list names, each entry "component.property". A component is
// found among the form's descendants by objectName, a property by its
// Q_PROPERTY name; the value is kept under the key "component_property" as
// PropertyCodec writes it. An object-typed property (a font) keeps each of
// the object's own properties under "component_property" + their name.
//
// Entries are prepared when the store is made: one without a "." or with an
// empty part is dropped, and so is one whose component the form does not
// have; one whose property the component does not have stays and keeps
// nothing. When a component is destroyed its entries go.
class TFormStorage : public TFormPlacement {
    Q_OBJECT
public:
    TFormStorage(QWidget* form, const QString& objectName, const QStringList& storedProps);
    ~TFormStorage() override;

    // The entries kept, as "component.property", in order.
    QStringList StoredProps() const;

protected:
    void readStoredProperties(const ProfileFile& file, const QString& section) override;
    void writeStoredProperties(SettingsValues& values) const override;

private:
    struct Entry {
        QString component;
        QString property;
        QObject* boundTo = nullptr; // identity only, for removal when destroyed
        QPointer<QObject> target;
    };
    std::vector<Entry> m_entries;
};
