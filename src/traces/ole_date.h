// Date values: a double count of days since 30 December 1899, 00:00, local
// time, whose fraction is the time of day. Converted from the store's UTC
// FILETIMEs and turned into text in the user's general date format.
#pragma once

#include <locale.h>
#include <time.h>

#include <cstdint>
#include <string>

namespace traces {

#ifdef _WIN32
// The C runtime of Windows names the locale type with an underscore.
using locale_t = _locale_t;
#endif

// Calendar fields of a moment, as a date value is built from them.
struct CalendarTime {
  int year = 0, month = 0, day = 0;  // month and day from 1
  int hour = 0, minute = 0, second = 0;
};

// Days from 1899-12-30 to the given civil date (negative before it).
std::int64_t daysFromEpoch(int year, int month, int day);

// The date value of calendar fields. Before 1899-12-30 the fraction counts
// away from zero, as date values do: 29 Dec 1899 06:00 is -1.25.
double dateValueFromCalendar(const CalendarTime& fields);

// The calendar fields of a date value, the time rounded to the second.
CalendarTime calendarFromDateValue(double date);

// A UTC FILETIME (100 ns since 1601-01-01) as a local date value, using the
// local offset from UTC that applies at that moment (TZ, tzset). A FILETIME of
// 0 converts like any other; a moment whose local time falls outside the years
// 1601 to 9999 (e.g. 0 behind UTC) gives 0.
double fileTimeToLocalDateValue(std::uint64_t fileTime);

// The general date format of the user's locale (LC_TIME from the environment):
// the short date (its year always in four digits, so that 2001 and 1601 read
// apart) and the long time; the time is left out at exactly midnight
// and the date when the whole-day part is 0.
std::string formatGeneralDate(double date);

// The same format for many dates in a row: the locale is looked up once, and
// the texts of the last few values and of the last day are kept, since a
// history repeats its dates (last visited and last updated, expiry 0).
class GeneralDateFormat {
 public:
  GeneralDateFormat();
  std::string operator()(double date);

 private:
  struct Recent {
    double value = 0;
    std::string text;
    bool used = false;
  };
  std::size_t appendTime(char* out, std::size_t room, const struct tm& fields) const;

  locale_t locale_;
  std::string dateFormat_;  // the locale's short date, its year in four digits
  bool plainTime_ = false;  // the locale's long time is hh:mm:ss (24 hours)
  Recent recent_[4];
  std::size_t nextSlot_ = 0;
  std::int64_t dayOfText_ = INT64_MIN;
  std::string dayText_;
};

}  // namespace traces
