#pragma once

#include <QtGlobal>

// While it exists, this process (and the programs it starts) cannot write a file past
// limit bytes: a write there is cut short and then fails with "File too large", the way
// a full disk cuts a write short. SIGXFSZ is ignored meanwhile, so the failing write
// returns an error instead of ending the process.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(qint64 limit);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    qint64 previousSoft = -1;
    void (*previousHandler)(int) = nullptr;
};
