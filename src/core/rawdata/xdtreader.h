#pragma once

#include "core/rawdata/rawdata.h"

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <array>
#include <functional>

namespace tarvex {

// One record of an xdt file: numbers parsed, texts as they stand in the
// file. The texts are views into the reader's buffer, valid during the call.
struct XdtRecord {
    int type = 0; // 1 LcTemp, 2 BlTemp, 3 PjTemp, 4 MjTemp
    qint64 line = 0; // from 1
    double id = 0;
    std::array<QStringView, 3> texts; // 代号 | 名称 | 名称,规格,技术要求 | 门窗系列,窗号
    std::array<double, 2> numbers {}; // 长度 | 面积 | 数量 | 框面积,洞口面积
};

using XdtRecordSink = std::function<void(const XdtRecord &)>;
// Bytes of the file read so far, of all.
using XdtProgress = std::function<void(qint64 done, qint64 total)>;

// Files larger than this are refused before anything is read.
constexpr qint64 kMaxXdtFileSize = qint64(1) << 30;

// Streams the records of an xdt file to sink in file order, reading it in
// pieces, so memory stays small whatever the size of the file. Lines end in
// CR LF, LF or CR; the encoding is GBK or UTF-8 (see TextEncoding). A bad
// line throws Error naming its number ("第12行: 长度 'abc' 不是数字") after
// the records before it went to the sink. Blank lines and lines of a type
// other than 1 to 4 are skipped; fields after the ones a type needs are
// ignored. A window (type 4) whose ID an earlier window has is refused with
// both lines: an ID names one window. Only a regular file of at most
// kMaxXdtFileSize is read.
void readXdtFile(const QString &path, const XdtRecordSink &sink, const XdtProgress &progress = {});

// The same for bytes in memory.
void readXdtBytes(QByteArrayView bytes, const XdtRecordSink &sink);

// All records of bytes in memory, every line checked first (tests, tools).
RawData parseRawDataBytes(QByteArrayView bytes);

} // namespace tarvex
