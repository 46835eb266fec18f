#pragma once

#include <QString>
#include <QtGlobal>

// What the file system says of a file at one moment: which file it is (device and
// inode) and what state its contents are in (size and modification time). A stamp
// taken again differs once the file was written, cut, or replaced by another file.
// (FileIdentity alone tells whether two paths name one file.)
struct FileStamp
{
    bool exists = false;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1;
    qint64 modifiedNs = 0;

    static FileStamp of(const QString &path);

    bool operator==(const FileStamp &other) const
    {
        return exists == other.exists && device == other.device && inode == other.inode && size == other.size
            && modifiedNs == other.modifiedNs;
    }
    bool operator!=(const FileStamp &other) const { return !(*this == other); }
};
