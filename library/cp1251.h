// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

/// Windows-1251, the code page of names in masses files, by its own table (no ICU needed).
/// Bytes 0x00..0x7F are ASCII; 0x98, which the code page leaves undefined, maps to U+0098 so
/// that every byte reads as one character and writes back as the same byte.
namespace Cp1251
{

/// Every byte as its character.
QString toUnicode(QByteArrayView bytes);

/// Code of `c` in the code page, or -1 when the code page cannot hold it.
int encodeChar(QChar c);

/// `text` in the code page; a character it cannot hold becomes '?' and clears `*ok`.
QByteArray fromUnicode(const QString &text, bool *ok = nullptr);

/// True when every character of `text` has a code (surrogate pairs never have one).
bool canEncode(const QString &text);

} // namespace Cp1251
