#include "codec/textformat.h"

QString encodingName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8: return QStringLiteral("UTF-8");
    case TextEncoding::Windows1252: return QStringLiteral("Windows-1252");
    case TextEncoding::Utf16LE: return QStringLiteral("UTF-16 LE");
    case TextEncoding::Utf16BE: return QStringLiteral("UTF-16 BE");
    case TextEncoding::Utf32LE: return QStringLiteral("UTF-32 LE");
    case TextEncoding::Utf32BE: return QStringLiteral("UTF-32 BE");
    }
    return {};
}
