// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/cp1251.h"

#include <array>

namespace
{

// Characters of bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F in order.
constexpr std::array<char16_t, 64> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 0x80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 0x88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 0x90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 0x98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // 0xA0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // 0xA8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // 0xB0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // 0xB8
};

constexpr char16_t kCyrillicA = 0x0410;
constexpr char16_t kCyrillicYa = 0x044F;

} // namespace

namespace Cp1251
{

QString toUnicode(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        if (b < 0x80)
            text.append(QChar(b));
        else if (b < 0xC0)
            text.append(QChar(kHigh[b - 0x80]));
        else
            text.append(QChar(char16_t(kCyrillicA + (b - 0xC0))));
    }
    return text;
}

int encodeChar(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80)
        return u;
    if (u >= kCyrillicA && u <= kCyrillicYa)
        return 0xC0 + (u - kCyrillicA);
    for (size_t i = 0; i < kHigh.size(); ++i) {
        if (kHigh[i] == u)
            return 0x80 + int(i);
    }
    return -1;
}

QByteArray fromUnicode(const QString &text, bool *ok)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    bool all = true;
    for (QChar c : text) {
        const int code = encodeChar(c);
        if (code < 0) {
            all = false;
            bytes.append('?');
        } else {
            bytes.append(char(code));
        }
    }
    if (ok)
        *ok = all;
    return bytes;
}

bool canEncode(const QString &text)
{
    for (QChar c : text) {
        if (encodeChar(c) < 0)
            return false;
    }
    return true;
}

} // namespace Cp1251
