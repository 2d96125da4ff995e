#include "table_tool/csv_writer.h"

#include <csv.h>

namespace veltrop::table_tool {

void CsvWriter::writeRow(const std::vector<std::string>& fields) {
    line_.clear();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i) {
            line_ += ',';
        }
        const std::size_t at = line_.size();
        // At worst every byte is a doubled quote, plus the two around the field.
        line_.resize(at + fields[i].size() * 2 + 2);
        line_.resize(at + csv_write(line_.data() + at, line_.size() - at, fields[i].data(),
                                    fields[i].size()));
    }
    line_ += "\r\n";
    std::fwrite(line_.data(), 1, line_.size(), stream_);
}

}  // namespace veltrop::table_tool
