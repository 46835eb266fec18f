#pragma once

#include <QString>
#include <QtGlobal>

// Which file a path names, by device and inode, so that two paths can be recognised as
// the same file however they are spelt (links, "..", symbolic links).
class FileIdentity
{
public:
    // The identity of the file path names (symbolic links followed); invalid when it
    // does not exist or cannot be examined.
    static FileIdentity of(const QString &path);

    bool isValid() const { return valid; }
    // Two valid identities of the same file.
    bool operator==(const FileIdentity &other) const
    {
        return valid && other.valid && device == other.device && inode == other.inode;
    }
    bool operator!=(const FileIdentity &other) const { return !(*this == other); }

private:
    bool valid = false;
    quint64 device = 0;
    quint64 inode = 0;
};
