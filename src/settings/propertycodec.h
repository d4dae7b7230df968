#pragma once

#include <QMetaProperty>
#include <QString>
#include <QVariant>

#include <optional>

// How a settings store turns a property's value into the text of the
// settings file and back, decided by the property's type alone:
// - integers (colours too) in decimal; text that is not an integer of the
//   type's range reads as 0;
// - Booleans and enumerations by name ("True", "tpTop", "fpDefault"), read
//   without regard to case; a name the type does not have leaves the
//   property unchanged;
// - sets (flag types) as "[fsBold,fsItalic]"; read as words parted by
//   blanks, commas or brackets, the set becoming exactly the members named;
// - strings trimmed;
// - floating-point numbers in decimal with "." as separator.
// Object-typed properties have no text of their own: a store keeps each of
// the object's own properties instead.
namespace PropertyCodec {

// The property holds a pointer to a QObject (such as a font).
bool isObject(const QMetaProperty& property);
// The property holds a string.
bool isString(const QMetaProperty& property);

// The text of value, a value of property's type; nothing for a type that
// has no text form (objects, types the settings do not keep).
std::optional<QString> encode(const QMetaProperty& property, const QVariant& value);

// The value text stands for, ready to write to the property; nothing when
// the property is to stay as it is. text is taken as read (already trimmed).
std::optional<QVariant> decode(const QMetaProperty& property, const QString& text);

}
