// Date values from UTC FILETIMEs in the local zone, and their text in the
// user's general date format.
#include "traces/ole_date.h"

#include <gtest/gtest.h>
#include <locale.h>
#include <time.h>

#include "temp_dir.h"

namespace {

using traces::calendarFromDateValue;
using traces::fileTimeToLocalDateValue;
using traces::formatGeneralDate;

// 2026-01-02 03:04:05.678901 UTC.
constexpr std::uint64_t kJanuary = 134117966456789010;
// 2025-07-01 12:00:00 UTC.
constexpr std::uint64_t kJuly = 133958448000000000;

struct Zone {
  explicit Zone(const char* tz) : guard("TZ", tz) { tzset(); }
  ~Zone() { tzset(); }
  testsupport::EnvGuard guard;
};

TEST(DateValue, CalendarAnchors) {
  EXPECT_EQ(traces::dateValueFromCalendar({1899, 12, 30, 0, 0, 0}), 0.0);
  EXPECT_EQ(traces::dateValueFromCalendar({1900, 1, 1, 12, 0, 0}), 2.5);
  EXPECT_EQ(traces::dateValueFromCalendar({1899, 12, 29, 6, 0, 0}), -1.25);
  EXPECT_EQ(traces::dateValueFromCalendar({1601, 1, 1, 0, 0, 0}), -109205.0);
  traces::CalendarTime back = calendarFromDateValue(-1.25);
  EXPECT_EQ(back.year * 10000 + back.month * 100 + back.day, 18991229);
  EXPECT_EQ(back.hour, 6);
}

TEST(DateValue, ZeroFileTimeConvertsLikeAnyOther) {
  {
    Zone utc("UTC");
    EXPECT_EQ(fileTimeToLocalDateValue(0), -109205.0);
  }
  {
    Zone ahead("UTC-1");  // POSIX sign: one hour ahead of UTC
    const double value = fileTimeToLocalDateValue(0);
    traces::CalendarTime f = calendarFromDateValue(value);
    EXPECT_EQ(f.year * 10000 + f.month * 100 + f.day, 16010101);
    EXPECT_EQ(f.hour, 1);
    EXPECT_DOUBLE_EQ(value, -109205.0 - 1.0 / 24);
  }
  {
    Zone behind("UTC+5");  // before 1601 locally: cannot be represented
    EXPECT_EQ(fileTimeToLocalDateValue(0), 0.0);
  }
}

TEST(DateValue, LocalOffsetOfTheMomentIsApplied) {
  const double day = static_cast<double>(traces::daysFromEpoch(2026, 1, 2));
  {
    Zone utc("UTC");
    EXPECT_DOUBLE_EQ(fileTimeToLocalDateValue(kJanuary), day + (3 * 3600 + 4 * 60 + 5) / 86400.0);
  }
  Zone berlin("Europe/Berlin");
  EXPECT_EQ(calendarFromDateValue(fileTimeToLocalDateValue(kJanuary)).hour, 4);  // winter, +1
  EXPECT_EQ(calendarFromDateValue(fileTimeToLocalDateValue(kJuly)).hour, 14);    // summer, +2
  EXPECT_EQ(fileTimeToLocalDateValue(~0ull), 0.0);
}

TEST(GeneralDate, ShortDateAndLongTimeWithMidnightAndDayZeroLeftOut) {
  testsupport::EnvGuard lang("LC_ALL", "C");
  EXPECT_EQ(formatGeneralDate(2.5), "01/01/1900 12:00:00");
  EXPECT_EQ(formatGeneralDate(2.0), "01/01/1900");
  EXPECT_EQ(formatGeneralDate(0.25), "06:00:00");
  EXPECT_EQ(formatGeneralDate(0.0), "00:00:00");
  EXPECT_EQ(formatGeneralDate(-109205.0), "01/01/1601");
}

TEST(GeneralDate, FollowsTheUsersLocale) {
  locale_t german = newlocale(LC_TIME_MASK, "de_DE.UTF-8", static_cast<locale_t>(nullptr));
  if (!german) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
  freelocale(german);
  testsupport::EnvGuard lang("LC_ALL", "de_DE.UTF-8");
  EXPECT_EQ(formatGeneralDate(traces::dateValueFromCalendar({2026, 12, 7, 14, 5, 9})),
            "07.12.2026 14:05:09");
}

}  // namespace
