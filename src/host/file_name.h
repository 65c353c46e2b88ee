#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// File names are bytes; most are UTF-8, but archives from Windows unpack with
// GBK names. A name's bytes that are not UTF-8 are kept in its text, each as
// the lone surrogate U+DC80..U+DCFF, so the name reaches the system unchanged.
namespace file_name {

// The bytes as text: UTF-8, and each byte outside a well-formed sequence as
// U+DC00 plus the byte.
QString fromBytes(QByteArrayView bytes);

// The bytes for the system: the text's UTF-8, each U+DC80..U+DCFF back as its byte.
QByteArray toBytes(const QString& name);

// What the user reads: each part of the path that is not UTF-8 decoded as GBK.
QString display(const QString& name);

} // namespace file_name
