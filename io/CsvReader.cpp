#include "io/CsvReader.h"

#include <QByteArrayView>
#include <QStringDecoder>

namespace {

const QByteArray ByteOrderMark("\xEF\xBB\xBF");

// Every character, a byte-order mark too: only the one at the start of the file is skipped.
QString decodeUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder(bytes);
}

// Characters as a user counts them: a pair of surrogates is one.
int characterCount(QStringView text)
{
    int count = 0;
    for (const QChar c : text)
        count += c.isLowSurrogate() ? 0 : 1;
    return count;
}

// Where the first byte sequence that is not UTF-8 starts; false when there is none.
bool findInvalidUtf8(const QByteArray &bytes, int *line, int *column)
{
    qsizetype lineStart = 0;
    *line = 1;
    while (lineStart <= bytes.size()) {
        qsizetype lineEnd = bytes.indexOf('\n', lineStart);
        if (lineEnd < 0)
            lineEnd = bytes.size();
        const QByteArrayView text(bytes.constData() + lineStart, lineEnd - lineStart);
        if (!text.isValidUtf8()) {
            // The longest valid start that ends between two characters.
            qsizetype good = 0;
            for (qsizetype end = 1; end <= text.size(); ++end) {
                const bool boundary = end == text.size() || (quint8(text.at(end)) & 0xC0) != 0x80;
                if (!boundary)
                    continue;
                if (!text.first(end).isValidUtf8())
                    break;
                good = end;
            }
            *column = characterCount(decodeUtf8(text.first(good))) + 1;
            return true;
        }
        lineStart = lineEnd + 1;
        ++*line;
    }
    return false;
}

// Walks the text a character at a time, counting lines and columns.
class Cursor
{
public:
    explicit Cursor(const QString &text) : text(text) { }
    bool atEnd() const { return position >= text.size(); }
    QChar peek() const { return atEnd() ? QChar() : text.at(position); }
    // A line break, CRLF, LF or a lone CR, at the cursor.
    bool atLineBreak() const { return peek() == QLatin1Char('\n') || peek() == QLatin1Char('\r'); }
    void advance()
    {
        const QChar c = text.at(position++);
        if (c == QLatin1Char('\r') && peek() == QLatin1Char('\n')) {
            ++position;
        } else if (c != QLatin1Char('\r') && c != QLatin1Char('\n')) {
            column += c.isHighSurrogate() ? 0 : 1;
            return;
        }
        ++line;
        column = 1;
    }
    // The line break at the cursor as the text spells it.
    QString lineBreak() const
    {
        return text.mid(position, text.mid(position, 2) == QLatin1String("\r\n") ? 2 : 1);
    }
    CsvError error(const QString &message) const { return {line, column, message}; }

    int line = 1;
    int column = 1;

private:
    const QString &text;
    qsizetype position = 0;
};

bool readQuoted(Cursor &cursor, CsvReader::Field *field, CsvError *error)
{
    const CsvError opened
        = cursor.error(QStringLiteral("the quoted field that starts here has no closing quote"));
    cursor.advance();
    for (;;) {
        if (cursor.atEnd()) {
            *error = opened;
            return false;
        }
        const QChar c = cursor.peek();
        if (c == QLatin1Char('"')) {
            cursor.advance();
            if (cursor.peek() != QLatin1Char('"'))
                break;
            field->text.append(c);
        } else if (cursor.atLineBreak()) {
            field->text.append(cursor.lineBreak());
        } else {
            field->text.append(c);
        }
        cursor.advance();
    }
    if (cursor.atEnd() || cursor.atLineBreak() || cursor.peek() == QLatin1Char(','))
        return true;
    *error = cursor.error(QStringLiteral("a comma or the end of the line must follow a closing quote"));
    return false;
}

bool readPlain(Cursor &cursor, CsvReader::Field *field, CsvError *error)
{
    while (!cursor.atEnd() && !cursor.atLineBreak() && cursor.peek() != QLatin1Char(',')) {
        if (cursor.peek() == QLatin1Char('"')) {
            *error = cursor.error(QStringLiteral("a quote in a field that does not start with one"));
            return false;
        }
        field->text.append(cursor.peek());
        cursor.advance();
    }
    return true;
}

} // namespace

bool CsvReader::read(const QByteArray &bytes, CsvError *error)
{
    rows.clear();
    const QByteArray body = bytes.startsWith(ByteOrderMark) ? bytes.mid(ByteOrderMark.size()) : bytes;
    CsvError invalid;
    if (findInvalidUtf8(body, &invalid.line, &invalid.column)) {
        invalid.message = QStringLiteral("the text is not UTF-8");
        *error = invalid;
        return false;
    }
    const QString text = decodeUtf8(body);
    Cursor cursor(text);
    while (!cursor.atEnd()) {
        if (cursor.atLineBreak()) {
            cursor.advance();
            continue;
        }
        Record record;
        for (;;) {
            Field field;
            field.line = cursor.line;
            field.column = cursor.column;
            const bool read = cursor.peek() == QLatin1Char('"') ? readQuoted(cursor, &field, error)
                                                                : readPlain(cursor, &field, error);
            if (!read)
                return false;
            record.append(field);
            if (cursor.peek() != QLatin1Char(','))
                break;
            cursor.advance();
        }
        rows.append(record);
        if (!cursor.atEnd())
            cursor.advance();
    }
    return true;
}
