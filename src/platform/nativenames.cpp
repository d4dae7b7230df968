#include "platform/nativenames.h"

namespace {

// The length of the valid UTF-8 sequence starting at bytes[at] and the code
// point it holds; 0 when the byte starts none (a stray continuation, an
// overlong form, a surrogate, beyond U+10FFFF, cut short).
int utf8Sequence(QByteArrayView bytes, qsizetype at, char32_t& code)
{
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(at);
    int length;
    char32_t least;
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, code = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, code = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, code = lead & 0x07, least = 0x10000;
    } else {
        return 0;
    }
    if (at + length > bytes.size())
        return 0;
    for (int k = 1; k < length; ++k) {
        if ((byte(at + k) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(at + k) & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

char32_t visible(char32_t code)
{
    if (code < 0x20)
        return 0x2400 + code;
    if (code == 0x7F)
        return 0x2421;
    if (code == 0x2028 || code == 0x2029)
        return 0x2424;
    return code;
}

bool plain(QByteArrayView bytes)
{
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F)
            return false;
    }
    return bytes.isValidUtf8() && !bytes.contains("\xE2\x80\xA8") && !bytes.contains("\xE2\x80\xA9");
}

}

QString NativeNames::display(QByteArrayView bytes)
{
    if (plain(bytes))
        return QString::fromUtf8(bytes);
    QString shown;
    shown.reserve(bytes.size() + 8);
    for (qsizetype at = 0; at < bytes.size();) {
        char32_t code = 0;
        const int length = utf8Sequence(bytes, at, code);
        if (length == 0) {
            const auto b = static_cast<unsigned char>(bytes[at]);
            shown += QStringLiteral("\\x") + QString::number(b, 16).toUpper().rightJustified(2, u'0');
            ++at;
            continue;
        }
        const char32_t seen = visible(code);
        if (QChar::requiresSurrogates(seen)) {
            shown += QChar(QChar::highSurrogate(seen));
            shown += QChar(QChar::lowSurrogate(seen));
        } else {
            shown += QChar(char16_t(seen));
        }
        at += length;
    }
    return shown;
}
