#include "platform/nativenames.h"

#include <algorithm>

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

// Walks bytes as UTF-8: each valid sequence goes to onCode, each byte that
// is not part of one to onByte.
template <typename OnByte, typename OnCode>
void forEachSequence(QByteArrayView bytes, OnByte onByte, OnCode onCode)
{
    for (qsizetype at = 0; at < bytes.size();) {
        char32_t code = 0;
        const int length = utf8Sequence(bytes, at, code);
        if (length == 0) {
            onByte(static_cast<unsigned char>(bytes[at]));
            ++at;
        } else {
            onCode(code);
            at += length;
        }
    }
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

constexpr char16_t StandInBase = 0xEF00;
constexpr char16_t StandInQuote = 0xEF7F;

bool isStandInRange(char32_t code) { return code >= 0xEF00 && code <= 0xEFFF; }

void appendCode(QString& out, char32_t code)
{
    if (QChar::requiresSurrogates(code)) {
        out += QChar(QChar::highSurrogate(code));
        out += QChar(QChar::lowSurrogate(code));
    } else {
        out += QChar(char16_t(code));
    }
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
    forEachSequence(
        bytes,
        [&](unsigned char b) { shown += QStringLiteral("\\x") + QString::number(b, 16).toUpper().rightJustified(2, u'0'); },
        [&](char32_t code) { appendCode(shown, visible(code)); });
    return shown;
}

QString NativeNames::fromNative(QByteArrayView bytes)
{
    // U+EF00..U+EFFF spelled in UTF-8 starts EE BC..EE BF.
    const bool carriesStandIns = bytes.contains("\xEE\xBC") || bytes.contains("\xEE\xBD") || bytes.contains("\xEE\xBE")
        || bytes.contains("\xEE\xBF");
    if (!carriesStandIns && bytes.isValidUtf8())
        return QString::fromUtf8(bytes);
    QString path;
    path.reserve(bytes.size() + 8);
    forEachSequence(
        bytes, [&](unsigned char b) { path += QChar(char16_t(StandInBase + b)); },
        [&](char32_t code) {
            if (isStandInRange(code))
                path += QChar(StandInQuote);
            appendCode(path, code);
        });
    return path;
}

QByteArray NativeNames::toNative(QStringView path)
{
    const bool carriesStandIns = std::any_of(path.begin(), path.end(),
                                             [](QChar c) { return isStandInRange(c.unicode()); });
    if (!carriesStandIns)
        return path.toUtf8();
    QByteArray bytes;
    bytes.reserve(path.size() + 8);
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t c = path[i].unicode();
        if (c == StandInQuote && i + 1 < path.size() && isStandInRange(path[i + 1].unicode())) {
            bytes += QStringView(path.mid(i + 1, 1)).toUtf8(); // the name's own character
            ++i;
        } else if (c >= StandInBase + 0x80 && c <= StandInBase + 0xFF) {
            bytes += char(c - StandInBase); // a byte that is not UTF-8
        } else {
            bytes += QStringView(path.mid(i, 1)).toUtf8();
        }
    }
    return bytes;
}

QString NativeNames::displayPath(QStringView path) { return display(toNative(path)); }
