#pragma once

// Reads back what a written workbook holds, straight from its XML parts.

#include <QHash>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>

namespace tarvex::test {

struct XlsxCell {
    QString value; // shared strings resolved; the cached result of a formula
    QString formula; // without the leading "="
    double number() const { return value.toDouble(); }
};

class XlsxBook {
public:
    explicit XlsxBook(const QString &path)
        : m_path(path)
    {
        QXmlStreamReader strings(part(QStringLiteral("xl/sharedStrings.xml")));
        while (!strings.atEnd()) {
            if (strings.readNext() == QXmlStreamReader::StartElement && strings.name() == QLatin1String("si"))
                m_strings.append(readSi(strings));
        }
        QXmlStreamReader book(part(QStringLiteral("xl/workbook.xml")));
        while (!book.atEnd()) {
            if (book.readNext() == QXmlStreamReader::StartElement && book.name() == QLatin1String("sheet"))
                m_sheetNames.append(book.attributes().value(QLatin1String("name")).toString());
        }
    }

    bool isValid() const { return !m_sheetNames.isEmpty(); }
    QStringList sheetNames() const { return m_sheetNames; }

    // Cells of the sheet at index (from 0) keyed by "A1" references.
    QHash<QString, XlsxCell> sheet(int index) const
    {
        QHash<QString, XlsxCell> cells;
        QXmlStreamReader x(part(QStringLiteral("xl/worksheets/sheet%1.xml").arg(index + 1)));
        QString ref, type;
        XlsxCell cell;
        while (!x.atEnd()) {
            x.readNext();
            if (x.isStartElement() && x.name() == QLatin1String("c")) {
                ref = x.attributes().value(QLatin1String("r")).toString();
                type = x.attributes().value(QLatin1String("t")).toString();
                cell = XlsxCell();
            } else if (x.isStartElement() && x.name() == QLatin1String("f")) {
                cell.formula = x.readElementText();
            } else if (x.isStartElement() && x.name() == QLatin1String("v")) {
                const QString v = x.readElementText();
                cell.value = type == QLatin1String("s") ? m_strings.value(v.toInt()) : v;
            } else if (x.isStartElement() && x.name() == QLatin1String("is")) {
                cell.value = readSi(x);
            } else if (x.isEndElement() && x.name() == QLatin1String("c")) {
                cells.insert(ref, cell);
            }
        }
        return cells;
    }

    QByteArray part(const QString &name) const
    {
        QProcess unzip;
        unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), m_path, name});
        unzip.waitForFinished(30000);
        return unzip.readAllStandardOutput();
    }

private:
    static QString readSi(QXmlStreamReader &x)
    {
        QString text;
        const QString end = x.name().toString();
        while (!(x.readNext() == QXmlStreamReader::EndElement && x.name() == end) && !x.atEnd()) {
            if (x.isStartElement() && x.name() == QLatin1String("t"))
                text += x.readElementText();
        }
        return text;
    }

    QString m_path;
    QStringList m_strings;
    QStringList m_sheetNames;
};

} // namespace tarvex::test
