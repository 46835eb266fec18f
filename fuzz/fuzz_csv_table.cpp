// A table of any bytes: it is read or refused at a place in the text, and what is read,
// written again (and saved with a byte-order mark, as spreadsheets may), reads back the same.

#include "FuzzSupport.h"
#include "io/CsvReader.h"
#include "io/CsvWriter.h"

namespace {

QVector<QStringList> texts(const QVector<CsvReader::Record> &records)
{
    QVector<QStringList> all;
    for (const CsvReader::Record &record : records) {
        QStringList fields;
        for (const CsvReader::Field &field : record) {
            FUZZ_CHECK(field.line >= 1 && field.column >= 1);
            fields.append(field.text);
        }
        all.append(fields);
    }
    return all;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const ExactBytes input(data, size);
    CsvReader reader;
    CsvError error;
    if (!reader.read(input.view().toByteArray(), &error)) {
        FUZZ_CHECK(error.line >= 1 && error.column >= 1 && !error.message.isEmpty());
        return 0;
    }
    const QVector<QStringList> read = texts(reader.records());
    CsvWriter writer;
    for (const QStringList &fields : read) {
        FUZZ_CHECK(!fields.isEmpty());
        writer.addRow(fields);
    }
    CsvReader again;
    FUZZ_CHECK(again.read("\xEF\xBB\xBF" + writer.bytes(), &error));
    FUZZ_CHECK(texts(again.records()) == read);
    return 0;
}
