#pragma once
// BIFF8 Unicode strings: inside one record, in a STRING record continued by
// CONTINUE records, and the shared string table (SST) split across CONTINUE
// records, where each continuation re-states the compressed/UTF-16 flag.
// Every length that runs past the data throws IoError.
#include <QString>
#include <cstddef>
#include <vector>

#include "sheetgrid/io/biff_records.h"

namespace trelvo::io::biff {

// The string at `pos` whose character count takes `lenlen` (1 or 2) bytes,
// followed by the option byte (absent when the count is 0). Sets *end to the
// offset after the characters (rich-text runs and phonetic data not skipped).
QString read_unicode(const ByteView& data, std::size_t pos, int lenlen, std::size_t* end = nullptr);

// The text of a STRING record (a formula's string result); further
// characters come from the CONTINUE records that `more` yields next.
QString read_string_record(const ByteView& data, RecordReader& more);

// The shared strings of an SST record (`chunks[0]`, starting with the two
// counts) and its CONTINUE records. Reads at most `max_strings` strings and
// throws IoError when the table declares more, or when its data ends before
// the declared count.
std::vector<QString> read_sst(const std::vector<ByteView>& chunks, std::size_t max_strings);

// Appends `count` characters at `pos` of `data`, one byte each (compressed)
// or UTF-16LE (`wide`).
void append_chars(QString& out, const ByteView& data, std::size_t pos, std::size_t count, bool wide);

}  // namespace trelvo::io::biff
