// Timestamp text forms, ordering and binary form.
#include "support/timestamp.h"

#include <gtest/gtest.h>

#include "testlib/harness.h"
#include "testlib/wadbuilder.h"

namespace tracewell {
namespace {

TEST(Timestamp, TextForms) {
  struct {
    timestamp t;
    const char16_t *date, *time, *dotted;
  } cases[] = {
      {timestamp::Create(2014, 3, 6, 13, 5, 9), u"06/03/14", u"01:05:09 PM", u"014.03.06.13.05.09"},
      {timestamp::Create(2000, 1, 1, 0, 0, 0), u"01/01/00", u"00:00:00 AM", u"000.01.01.00.00.00"},
      {timestamp::Create(1999, 12, 31, 23, 59, 59), u"31/12/99", u"11:59:59 PM", u"999.12.31.23.59.59"},
      {timestamp::Create(2024, 6, 30, 12, 0, 0), u"30/06/24", u"00:00:00 PM", u"024.06.30.12.00.00"},
      {timestamp::Create(2024, 6, 30, 11, 30, 0), u"30/06/24", u"11:30:00 AM", u"024.06.30.11.30.00"},
      {timestamp::Create(7, 2, 3, 4, 5, 6), u"03/02/7", u"04:05:06 AM", u"7.02.03.04.05.06"},
      {timestamp::Create(12345, 100, -5, 0, 0, 0), u"-5/100/45", u"00:00:00 AM", u"345.100.-5.00.00.00"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.t.getdate(), c.date);
    EXPECT_EQ(c.t.gettime(), c.time);
    EXPECT_EQ(c.t.todottedstring(), c.dotted);
    EXPECT_EQ(c.t.tostring(), text(c.date) + u" - " + c.time);
  }
}

TEST(Timestamp, CompareOrdersFromYearDownToSecond) {
  const timestamp base = timestamp::Create(2014, 3, 6, 13, 5, 9);
  EXPECT_EQ(base.compare(base), 0);
  // A later year wins over everything smaller; each field decides only when the larger ones are equal.
  const timestamp later[] = {
      timestamp::Create(2015, 1, 1, 0, 0, 0),  timestamp::Create(2014, 4, 1, 0, 0, 0),
      timestamp::Create(2014, 3, 7, 0, 0, 0),  timestamp::Create(2014, 3, 6, 14, 0, 0),
      timestamp::Create(2014, 3, 6, 13, 6, 0), timestamp::Create(2014, 3, 6, 13, 5, 10),
  };
  for (const auto& l : later) {
    EXPECT_EQ(l.compare(base), 1) << toutf8(l.tostring());
    EXPECT_EQ(base.compare(l), -1) << toutf8(l.tostring());
  }
}

TEST(Timestamp, NowIsALocalCalendarTime) {
  timestamp a = timestamp::now(), b = timestamp::now();
  if (a.compare(b) != 0) a = timestamp::now(), b = timestamp::now();  // crossed a second boundary
  EXPECT_EQ(a.compare(b), 0);
  EXPECT_GE(a.year, 2020);
  EXPECT_TRUE(a.month >= 1 && a.month <= 12 && a.day >= 1 && a.day <= 31);
  EXPECT_TRUE(a.hour >= 0 && a.hour <= 23 && a.minute >= 0 && a.minute <= 59);
}

TEST(Timestamp, BinaryFormIsSixLittleEndianFieldsFromHour) {
  testkit::tempdir dir;
  const text path = fromutf8((dir / "t.bin").string());
  const timestamp t = timestamp::Create(2014, 3, 6, 13, 5, -9);
  {
    outputfile out = outputfile::open(path);
    auto w = bytestream::appendto(out);
    EXPECT_TRUE(t.write(*w).ok());
    w->close();
    EXPECT_TRUE(out.commit().ok());
  }
  const std::string bytes = testkit::readfile(dir / "t.bin");
  std::string want;
  for (const std::int32_t v : {13, 5, -9, 6, 3, 2014}) testkit::puts32(want, want.size(), v);
  EXPECT_EQ(bytes, want);
  auto r = bytestream::openread(path);
  const auto read = timestamp::read(*r);
  ASSERT_TRUE(read.ok());
  const timestamp& back = read.value();
  EXPECT_EQ(back.compare(t), 0);
  EXPECT_EQ(back.second, -9);
}

TEST(Timestamp, ShortStreamIsAReadFailure) {
  const auto s = bytestream::openmemory(std::make_shared<const std::vector<unsigned char>>(23));
  const auto read = timestamp::read(*s);
  ASSERT_FALSE(read.ok());
  EXPECT_EQ(read.error(), failure::readstream());
}

}  // namespace
}  // namespace tracewell
