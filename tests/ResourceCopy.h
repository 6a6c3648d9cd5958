#pragma once

// A test's own copy of the shipped Resources folder. While it lives, the
// program reads and writes Resources there, so a test may change, rename or
// add shipped files without touching the built bundle; the bundle's folder
// is back in use once it is gone.
//
// Make it before anything reads Resources (first thing in initTestCase),
// since some readers keep what they found for the run.

#include "QIAppUtil.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

class ResourceCopy
{
public:
    ResourceCopy()
        : m_shipped(QIAppUtil::getResourcePath())
    {
        const QString copy = m_dir.path() + QStringLiteral("/Resources");
        m_valid = m_dir.isValid() && !m_shipped.isEmpty() && copyTree(m_shipped, copy);
        if (m_valid)
            QIAppUtil::setResourcePath(copy);
    }
    ~ResourceCopy() { QIAppUtil::setResourcePath(m_shipped); }
    ResourceCopy(const ResourceCopy&) = delete;
    ResourceCopy& operator=(const ResourceCopy&) = delete;

    bool isValid() const { return m_valid; }
    // The bundle's own folder, to check that it was left alone.
    QString shipped() const { return m_shipped; }

private:
    static bool copyTree(const QString& from, const QString& to)
    {
        if (!QDir().mkpath(to))
            return false;
        QDirIterator it(from, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString source = it.next();
            const QString target = to + source.mid(from.size());
            const QFileInfo info = it.fileInfo();
            if (info.isDir()) {
                if (!QDir().mkpath(target))
                    return false;
            } else if (!QDir().mkpath(QFileInfo(target).path()) || !QFile::copy(source, target)) {
                return false;
            } else {
                // The bundle's files may be read-only; the copy is the test's.
                QFile::setPermissions(target, info.permissions() | QFile::WriteOwner);
            }
        }
        return true;
    }

    QTemporaryDir m_dir;
    QString m_shipped;
    bool m_valid = false;
};
