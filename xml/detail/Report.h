// The result report: a run of empty XML elements, one per event, capped at about 1,000 units.
#pragma once

#include <cstdint>
#include <optional>

#include "text/Text.h"

namespace xml::detail {

// Option bits of AddReportEntry.
inline constexpr uint32_t kReportCount = 0x1;     // value1 is "count"
inline constexpr uint32_t kReportType = 0x2;      // data is "type"
inline constexpr uint32_t kReportN = 0x4;         // value1 is "n"
inline constexpr uint32_t kReportEncoding = 0x8;  // data is "encoding"
inline constexpr uint32_t kReportLength = 0x10;   // value1 is "length"
inline constexpr uint32_t kReportUpdate = 0x20;   // update the first entry named word
inline constexpr uint32_t kReportMsg = 0x40;      // data is "msg"

inline constexpr size_t kReportCap = 1000;

// Adds (or, with kReportUpdate, updates) the entry `word`. Without an option naming value1 it is
// written as "offset" unless it is -1; value2 is "offset2" unless it is -1. Data without an
// option naming it is "tagname".
void AddReportEntry(text::WString& report, text::WStringView word,
                    std::optional<text::WStringView> data, uint32_t options, int32_t value1,
                    int32_t value2);

}  // namespace xml::detail
