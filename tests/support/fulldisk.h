#pragma once

#include "core/common/io/savefile.h"

#include <QSaveFile>

#include <memory>

namespace tarvex::test {

// A device that takes a few bytes and then fails as a full disk does.
class FullDisk : public QSaveFile {
public:
    explicit FullDisk(const QString &path)
        : QSaveFile(path)
    {
    }

protected:
    qint64 writeData(const char *data, qint64 size) override
    {
        if (m_taken + size > 64) {
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        m_taken += size;
        return QSaveFile::writeData(data, size);
    }

private:
    qint64 m_taken = 0;
};

// While it lives, every atomic save is written to a full disk, or, when the
// disk is not full, to the real file; either way the saves are counted.
class FullDiskScope {
public:
    explicit FullDiskScope(bool full = true)
    {
        setSaveFileMaker([full, saves = m_saves](const QString &path) -> std::unique_ptr<QSaveFile> {
            ++*saves;
            if (full)
                return std::make_unique<FullDisk>(path);
            return std::make_unique<QSaveFile>(path);
        });
    }
    ~FullDiskScope() { setSaveFileMaker({}); }
    FullDiskScope(const FullDiskScope &) = delete;
    FullDiskScope &operator=(const FullDiskScope &) = delete;

    int saves() const { return *m_saves; }

private:
    std::shared_ptr<int> m_saves = std::make_shared<int>(0);
};

} // namespace tarvex::test
