// Where a file dialog starts when it knows no better folder.
#pragma once

#include <QDir>
#include <QFileDevice>
#include <QFileInfo>
#include <QStandardPaths>
#include <QString>

// The current folder when the user may write there, else the documents
// folder (the home folder when there is none). The launcher that starts the
// program in German changes into the program's own folder, where nobody
// keeps reports or pictures.
inline QString DefaultFileFolder() {
    const QFileInfo current(QDir::currentPath());
    // A folder without any write bit counts as read-only also for root, as
    // for every file the program writes.
    const QFileDevice::Permissions writeBits =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (current.isDir() && current.isWritable() && (current.permissions() & writeBits))
        return current.absoluteFilePath();
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return documents;
    return QDir::homePath();
}
