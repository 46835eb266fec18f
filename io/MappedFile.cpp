#include "io/MappedFile.h"

MappedFile::MappedFile(const QString &path)
{
    open(path);
}

bool MappedFile::open(const QString &path)
{
    close();
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly)) {
        m_error = m_file.errorString();
        return false;
    }
    const qint64 size = m_file.size();
    uchar *mapped = size > 0 ? m_file.map(0, size) : nullptr;
    if (mapped) {
        m_bytes = QByteArrayView(mapped, size);
    } else {
        // Some file systems cannot map; a bulk read serves the same purpose.
        m_copy = m_file.readAll();
        m_bytes = m_copy;
    }
    m_open = true;
    return true;
}

void MappedFile::close()
{
    m_bytes = QByteArrayView();
    m_copy.clear();
    m_file.close();
    m_error.clear();
    m_open = false;
}

QByteArrayView MappedFile::from(qint64 offset) const
{
    if (offset < 0 || offset >= m_bytes.size())
        return {};
    return m_bytes.sliced(offset);
}

QByteArrayView MappedFile::slice(qint64 offset, qint64 length) const
{
    if (offset < 0 || length < 0 || offset > m_bytes.size() || length > m_bytes.size() - offset)
        return {};
    return m_bytes.sliced(offset, length);
}
