// A calendar date and time of day with one-second resolution, and its text forms.
#include "support/timestamp.h"

#include <ctime>

namespace tracewell {

namespace {

// At least two digits: "07", "42", "123"; negatives keep their sign ("-5").
text twodigits(std::int32_t value) {
  text t = inttotext(value);
  while (t.size() < 2) t.insert(t.begin(), u'0');
  return t;
}

// The year's decimal text cut to its last n characters.
text lastofyear(std::int32_t year, std::size_t n) {
  const text t = inttotext(year);
  return t.size() <= n ? t : t.substr(t.size() - n);
}

}  // namespace

timestamp timestamp::Create(std::int32_t year, std::int32_t month, std::int32_t day, std::int32_t hour,
                            std::int32_t minute, std::int32_t second) {
  timestamp t;
  t.year = year;
  t.month = month;
  t.day = day;
  t.hour = hour;
  t.minute = minute;
  t.second = second;
  return t;
}

timestamp timestamp::now() {
  const std::time_t clock = std::time(nullptr);
  std::tm local{};
  localtime_r(&clock, &local);
  return Create(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                local.tm_sec);
}

text timestamp::getdate() const {
  return twodigits(day) + u"/" + twodigits(month) + u"/" + lastofyear(year, 2);
}

text timestamp::gettime() const {
  return twodigits(hour % 12) + u":" + twodigits(minute) + u":" + twodigits(second) +
         (hour <= 11 ? u" AM" : u" PM");
}

text timestamp::tostring() const {
  return getdate() + u" - " + gettime();
}

text timestamp::todottedstring() const {
  return lastofyear(year, 3) + u"." + twodigits(month) + u"." + twodigits(day) + u"." + twodigits(hour) +
         u"." + twodigits(minute) + u"." + twodigits(second);
}

int timestamp::compare(const timestamp& other) const {
  const std::int32_t mine[] = {year, month, day, hour, minute, second};
  const std::int32_t theirs[] = {other.year, other.month, other.day, other.hour, other.minute, other.second};
  for (int i = 0; i < 6; ++i) {
    if (mine[i] != theirs[i]) return mine[i] > theirs[i] ? 1 : -1;
  }
  return 0;
}

status timestamp::write(bytestream& stream) const {
  for (const std::int32_t v : {hour, minute, second, day, month, year}) stream.writes32(v);
  return stream.check();
}

result<timestamp> timestamp::read(bytestream& stream) {
  timestamp t;
  for (std::int32_t* field : {&t.hour, &t.minute, &t.second, &t.day, &t.month, &t.year}) {
    *field = stream.reads32();
  }
  if (stream.failed()) return failure::readstream();
  return t;
}

}  // namespace tracewell
