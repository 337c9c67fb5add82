#pragma once

#include "rawdata/rawdata.h"

#include <QByteArray>
#include <QString>

namespace tarvex {

// Reads the records of an xdt file. Every line is checked before anything is
// returned; a bad line throws Error naming its number ("第12行: 长度 'abc' 不是数字").
// Blank lines and lines of a type other than 1 to 4 are skipped; fields after
// the ones a type needs are ignored.
RawData parseRawData(const QString &text);

// The bytes of a file: UTF-8 when valid, else GBK (GB18030).
RawData parseRawDataBytes(const QByteArray &bytes);

// Reads and parses the file at path; throws Error when it cannot be read.
RawData readRawDataFile(const QString &path);

} // namespace tarvex
