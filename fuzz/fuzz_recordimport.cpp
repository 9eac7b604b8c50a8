// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: reading a firing record's CSV file. Whatever the bytes, reading them is
// safe and ends in a record or a reason; a record that is read saves (in the file's language,
// with its hash) and reads back whole to the same record, uid included, and saving that gives
// the same bytes again.

#include "app/recordcsv.h"
#include "app/recordimport.h"
#include "fuzz/fuzzcheck.h"

#include <cstdint>

namespace
{

QByteArray saved(const ImportedRecord &imported)
{
    return RecordCsv::Encode(imported.record, imported.language, imported.record.facts().console,
                             imported.logbookHash);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QString why;
    const std::optional<ImportedRecord> read = ReadRecordCsv(bytes, 1, &why);
    Require(read.has_value() != !why.isEmpty(), "a record, or a reason why not");
    if (!read)
        return 0;
    Require(!read->record.running() && !read->record.uid().isEmpty(), "an ended record with a uid");
    const QByteArray again = saved(*read);
    const std::optional<ImportedRecord> reread = ReadRecordCsv(again, 1, &why);
    Require(reread.has_value(), "a saved record reads back");
    Require(reread->record.uid() == read->record.uid(), "the same firing gets the same uid");
    Require(reread->language == read->language && reread->logbookHash == read->logbookHash,
            "the language and the hash read back");
    Require(reread->record.caseReference() == read->record.caseReference() &&
                reread->record.note() == read->record.note(),
            "the case reference and the note read back");
    Require(saved(*reread) == again, "a record read back saves to the same bytes");
    return 0;
}
