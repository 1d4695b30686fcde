#include "traces/ole_date.h"

#ifndef _WIN32
#include <langinfo.h>
#endif
#include <locale.h>
#include <time.h>

#include <cmath>
#include <cstdlib>
#include <limits>

namespace traces {

namespace {

#ifdef _WIN32
// The POSIX calls under the names of the Windows C runtime.
constexpr int LC_TIME_MASK = LC_TIME;
locale_t newlocale(int category, const char* name, locale_t) {
  return _create_locale(category, name);
}
// The runtime the program links (msvcrt) formats in the process's locale only.
std::size_t strftime_l(char* out, std::size_t room, const char* format, const struct tm* fields,
                       locale_t) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
  return strftime(out, room, format, fields);
#pragma GCC diagnostic pop
}
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d);
void civilFromDays(std::int64_t z, int& year, int& month, int& day);
// Its localtime knows no moment before 1970: there the offset from UTC of
// the earliest moment it knows is applied to the UTC calendar fields.
struct tm* localtime_r(const time_t* moment, struct tm* out) {
  if (*moment >= 86400 && localtime_s(out, moment) == 0) return out;
  const time_t probe = 86400;
  struct tm local {};
  if (localtime_s(&local, &probe) != 0) return nullptr;
  const std::int64_t offset =
      daysFromCivil(local.tm_year + 1900, static_cast<unsigned>(local.tm_mon + 1),
                    static_cast<unsigned>(local.tm_mday)) *
          86400 +
      local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec - probe;
  const std::int64_t seconds = static_cast<std::int64_t>(*moment) + offset;
  std::int64_t days = seconds / 86400, rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  int year = 0, month = 0, day = 0;
  civilFromDays(days, year, month, day);
  *out = {};
  out->tm_year = year - 1900;
  out->tm_mon = month - 1;
  out->tm_mday = day;
  out->tm_hour = static_cast<int>(rest / 3600);
  out->tm_min = static_cast<int>(rest / 60 % 60);
  out->tm_sec = static_cast<int>(rest % 60);
  return out;
}
// No locale's own short-date pattern to ask for: the default below.
constexpr int D_FMT = 0;
const char* nl_langinfo_l(int, locale_t) {
  return nullptr;
}
#endif

constexpr std::int64_t kDaysFrom1970To1899 = -25569;  // 1899-12-30 counted from 1970-01-01
constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;
constexpr std::uint64_t kTicksPerSecond = 10000000;
constexpr double kSecondsPerDay = 86400.0;

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civilFromDays(std::int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2));
}

// The user's LC_TIME locale, made again only when the environment changed.
// Used from the one user-interface thread.
locale_t userTimeLocale() {
  static locale_t cached = nullptr;
  static std::string cachedKey;
  std::string key;
  for (const char* name : {"LC_ALL", "LC_TIME", "LANG"}) {
    const char* value = std::getenv(name);
    key += value ? value : "";
    key += '\n';
  }
  if (cached && key == cachedKey) return cached;
  // A locale once handed out is kept: a formatter may still hold it.
  cached = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr));
  // A locale named in the environment that is not installed: the C locale.
  if (!cached) cached = newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(nullptr));
  cachedKey = key;
  return cached;
}

std::string formatTm(const char* format, const struct tm& fields, locale_t locale) {
  char buffer[128];
  std::size_t n = strftime_l(buffer, sizeof buffer, format, &fields, locale);
  return std::string(buffer, n);
}

}  // namespace

std::int64_t daysFromEpoch(int year, int month, int day) {
  return daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
         kDaysFrom1970To1899;
}

double dateValueFromCalendar(const CalendarTime& f) {
  const double days = static_cast<double>(daysFromEpoch(f.year, f.month, f.day));
  const double time = (f.hour * 3600 + f.minute * 60 + f.second) / kSecondsPerDay;
  return days < 0 ? days - time : days + time;
}

CalendarTime calendarFromDateValue(double date) {
  CalendarTime f;
  if (!std::isfinite(date) || std::fabs(date) > 3.0e6) return f;  // far outside 100..9999
  double whole = std::trunc(date);
  auto days = static_cast<std::int64_t>(whole);
  auto seconds = static_cast<std::int64_t>(std::llround(std::fabs(date - whole) * kSecondsPerDay));
  if (seconds >= 86400) {  // rounded up to the next midnight
    seconds -= 86400;
    ++days;
  }
  civilFromDays(days + kDaysFrom1970To1899, f.year, f.month, f.day);
  f.hour = static_cast<int>(seconds / 3600);
  f.minute = static_cast<int>(seconds / 60 % 60);
  f.second = static_cast<int>(seconds % 60);
  return f;
}

double fileTimeToLocalDateValue(std::uint64_t fileTime) {
  if (fileTime > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) return 0;
  // Milliseconds are dropped, as the calendar fields of a date value hold none.
  const auto utc = static_cast<time_t>(static_cast<std::int64_t>(fileTime / kTicksPerSecond) -
                                       kSecondsFrom1601To1970);
  struct tm local {};
  if (!localtime_r(&utc, &local)) return 0;
  const int year = local.tm_year + 1900;
  if (year < 1601 || year > 9999) return 0;
  return dateValueFromCalendar(
      {year, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec});
}

namespace {

struct tm tmFromCalendar(const CalendarTime& f, std::int64_t days) {
  struct tm fields {};
  fields.tm_year = f.year - 1900;
  fields.tm_mon = f.month - 1;
  fields.tm_mday = f.day;
  fields.tm_hour = f.hour;
  fields.tm_min = f.minute;
  fields.tm_sec = f.second;
  fields.tm_wday = static_cast<int>(((days + 6) % 7 + 7) % 7);  // 1899-12-30 was a Saturday
  fields.tm_yday = static_cast<int>(days - daysFromEpoch(f.year, 1, 1));
  return fields;
}

}  // namespace

GeneralDateFormat::GeneralDateFormat() : locale_(userTimeLocale()) {
  struct tm probe {};
  probe.tm_hour = 13;
  probe.tm_min = 45;
  probe.tm_sec = 56;
  plainTime_ = formatTm("%X", probe, locale_) == "13:45:56";
  const char* shortDate = nl_langinfo_l(D_FMT, locale_);
  dateFormat_ = shortDate && *shortDate ? shortDate : "%m/%d/%Y";
  for (std::size_t at = 0; (at = dateFormat_.find("%y", at)) != std::string::npos; at += 2)
    dateFormat_[at + 1] = 'Y';
}

// The long time, written by hand where the locale's is plain hh:mm:ss: the
// list of a long history formats one time per line.
std::size_t GeneralDateFormat::appendTime(char* out, std::size_t room,
                                          const struct tm& fields) const {
  if (!plainTime_) return strftime_l(out, room, "%X", &fields, locale_);
  if (room < 9) return 0;
  const int parts[] = {fields.tm_hour, fields.tm_min, fields.tm_sec};
  for (int i = 0; i < 3; ++i) {
    out[i * 3] = static_cast<char>('0' + parts[i] / 10);
    out[i * 3 + 1] = static_cast<char>('0' + parts[i] % 10);
    if (i < 2) out[i * 3 + 2] = ':';
  }
  return 8;
}

std::string GeneralDateFormat::operator()(double date) {
  for (const Recent& r : recent_)
    if (r.used && r.value == date) return r.text;
  const CalendarTime f = calendarFromDateValue(date);
  const std::int64_t days = daysFromEpoch(f.year, f.month, f.day);
  const struct tm fields = tmFromCalendar(f, days);
  const bool noDate = std::trunc(date) == 0;
  const bool midnight = f.hour == 0 && f.minute == 0 && f.second == 0;
  std::string text;
  if (noDate) {
    char buffer[128];
    text.assign(buffer, appendTime(buffer, sizeof buffer, fields));
  } else {
    if (days != dayOfText_) {
      dayText_ = formatTm(dateFormat_.c_str(), fields, locale_);
      dayOfText_ = days;
    }
    if (midnight) {
      text = dayText_;
    } else {
      char buffer[160];
      std::size_t n = dayText_.copy(buffer, 64);
      buffer[n++] = ' ';
      n += appendTime(buffer + n, sizeof buffer - n, fields);
      text.assign(buffer, n);
    }
  }
  Recent& slot = recent_[nextSlot_];
  nextSlot_ = (nextSlot_ + 1) % std::size(recent_);
  slot = {date, text, true};
  return text;
}

std::string formatGeneralDate(double date) {
  return GeneralDateFormat()(date);
}

}  // namespace traces
