#include "settings/propertycodec.h"

#include <QLocale>
#include <QMetaEnum>
#include <QRegularExpression>
#include <QStringList>

#include <limits>

namespace PropertyCodec {

namespace {

struct IntegerRange {
    qlonglong min;
    qulonglong max;
    bool isUnsigned;
};

template <typename T>
constexpr IntegerRange rangeOf()
{
    return {qlonglong(std::numeric_limits<T>::min()), qulonglong(std::numeric_limits<T>::max()),
            std::numeric_limits<T>::min() == 0};
}

std::optional<IntegerRange> integerRange(QMetaType type)
{
    switch (type.id()) {
    case QMetaType::Int: return rangeOf<int>();
    case QMetaType::UInt: return rangeOf<uint>();
    case QMetaType::Short: return rangeOf<short>();
    case QMetaType::UShort: return rangeOf<ushort>();
    case QMetaType::Long: return rangeOf<long>();
    case QMetaType::ULong: return rangeOf<ulong>();
    case QMetaType::LongLong: return rangeOf<qlonglong>();
    case QMetaType::ULongLong: return rangeOf<qulonglong>();
    case QMetaType::SChar: return rangeOf<signed char>();
    case QMetaType::UChar: return rangeOf<uchar>();
    default: return std::nullopt;
    }
}

bool isFloating(QMetaType type)
{
    return type.id() == QMetaType::Double || type.id() == QMetaType::Float;
}

// The number an enumeration or set value of the property's type holds.
int enumNumber(const QMetaProperty& property, const QVariant& value)
{
    if (value.metaType() == property.metaType() && value.metaType().sizeOf() == int(sizeof(int)))
        return *static_cast<const int*>(value.constData());
    return value.toInt();
}

// A value of the property's own enumeration or set type holding number, so
// that writing it needs no conversion.
QVariant enumValue(const QMetaProperty& property, int number)
{
    const QMetaType type = property.metaType();
    if (type.sizeOf() == int(sizeof(int)))
        return QVariant(type, &number);
    return QVariant(number);
}

bool isSingleMember(int value) { return value != 0 && (value & (value - 1)) == 0; }

bool sameName(const QString& word, const char* name)
{
    return word.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

}

bool isObject(const QMetaProperty& property)
{
    return property.metaType().flags().testFlag(QMetaType::PointerToQObject);
}

bool isString(const QMetaProperty& property) { return property.metaType().id() == QMetaType::QString; }

std::optional<QString> encode(const QMetaProperty& property, const QVariant& value)
{
    const QMetaType type = property.metaType();
    if (property.isEnumType()) {
        const QMetaEnum enumeration = property.enumerator();
        const int number = enumNumber(property, value);
        if (enumeration.isFlag()) {
            QStringList members;
            for (int i = 0; i < enumeration.keyCount(); ++i) {
                const int member = enumeration.value(i);
                if (isSingleMember(member) && (number & member) == member)
                    members << QLatin1String(enumeration.key(i));
            }
            return u'[' + members.join(u',') + u']';
        }
        if (const char* name = enumeration.valueToKey(number))
            return QString::fromLatin1(name);
        return std::nullopt;
    }
    if (type.id() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    if (const auto range = integerRange(type))
        return range->isUnsigned ? QString::number(value.toULongLong()) : QString::number(value.toLongLong());
    if (isFloating(type))
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    if (isString(property))
        return value.toString().trimmed();
    return std::nullopt;
}

std::optional<QVariant> decode(const QMetaProperty& property, const QString& text)
{
    const QMetaType type = property.metaType();
    if (property.isEnumType()) {
        const QMetaEnum enumeration = property.enumerator();
        if (enumeration.isFlag()) {
            static const QRegularExpression separators(QStringLiteral("[\\s,\\[\\]]+"));
            int number = 0;
            for (const QString& word : text.split(separators, Qt::SkipEmptyParts))
                for (int i = 0; i < enumeration.keyCount(); ++i)
                    if (sameName(word, enumeration.key(i)))
                        number |= enumeration.value(i);
            return enumValue(property, number);
        }
        for (int i = 0; i < enumeration.keyCount(); ++i)
            if (sameName(text, enumeration.key(i)))
                return enumValue(property, enumeration.value(i));
        return std::nullopt;
    }
    if (type.id() == QMetaType::Bool) {
        if (sameName(text, "True"))
            return QVariant(true);
        if (sameName(text, "False"))
            return QVariant(false);
        return std::nullopt;
    }
    if (const auto range = integerRange(type)) {
        bool ok = false;
        QVariant number;
        if (range->isUnsigned) {
            // toULongLong would take "-1" as its two's complement.
            const qulonglong n = text.startsWith(u'-') ? 0 : text.toULongLong(&ok, 10);
            number = QVariant::fromValue(ok && n <= range->max ? n : 0ULL);
        } else {
            const qlonglong n = text.toLongLong(&ok, 10);
            number = QVariant::fromValue(ok && n >= range->min && qulonglong(std::max(n, 0LL)) <= range->max ? n : 0LL);
        }
        number.convert(type);
        return number;
    }
    if (isFloating(type)) {
        bool ok = false;
        const double n = QLocale::c().toDouble(text, &ok);
        QVariant number(ok ? n : 0.0);
        number.convert(type);
        return number;
    }
    if (isString(property))
        return QVariant(text);
    return std::nullopt;
}

}
