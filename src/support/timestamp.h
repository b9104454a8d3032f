// A calendar date and time of day with one-second resolution, and its text forms.
#pragma once

#include <cstdint>

#include "support/bytestream.h"
#include "support/text.h"

namespace tracewell {

// A plain value: no field is validated, so any six numbers can be held and
// formatted (the text forms print whatever is stored).
struct timestamp {
  std::int32_t hour = 0;    // 0..23 from now()
  std::int32_t minute = 0;  // 0..59
  std::int32_t second = 0;  // 0..59 (60 on a leap second, as the clock says)
  std::int32_t day = 0;     // 1..31
  std::int32_t month = 0;   // 1..12
  std::int32_t year = 0;    // full year, e.g. 2014

  // A timestamp holding exactly the given values.
  static timestamp Create(std::int32_t year, std::int32_t month, std::int32_t day, std::int32_t hour,
                          std::int32_t minute, std::int32_t second);
  // The local date and time, all fields from one reading of the clock.
  static timestamp now();

  // "dd/mm/yy - hh:mm:ss AM", e.g. "06/03/14 - 01:05:09 PM".
  text tostring() const;
  // "yyy.mm.dd.hh.mm.ss" on the 24-hour clock with the year's last three
  // digits, e.g. "014.03.06.13.05.09"; used in output file names.
  text todottedstring() const;
  // "dd/mm/yy": day, month, the year's last two characters.
  text getdate() const;
  // "hh:mm:ss AM" or "... PM"; the hour is taken modulo 12, so noon and
  // midnight show "00".
  text gettime() const;

  // -1, 0 or 1 as this is earlier than, equal to or later than `other`,
  // comparing year, month, day, hour, minute, second in turn.
  int compare(const timestamp& other) const;

  // Writes hour, minute, second, day, month, year as little-endian signed
  // 32-bit integers (24 bytes). Fails as the stream has failed so far (the
  // bytes may still sit in its buffer).
  status write(bytestream& stream) const;
  // Reads the 24 bytes that write produces. A stream that ends first is a
  // stream read failure.
  static result<timestamp> read(bytestream& stream);
};

}  // namespace tracewell
