#include "sheetgrid/io/exceldate.h"

#include <QRegularExpression>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "sheetgrid/io/table.h"

namespace trelvo::io {
namespace {

constexpr std::int64_t kUsPerDay = 86'400'000'000LL;
constexpr std::int64_t kMaxDeltaDays = 999'999'999;

// Days since 0001-01-01 (day 1) as Python's date.toordinal().
std::int64_t ordinal(int y, int m, int d) {
  static const int before[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  const std::int64_t yy = y - 1;
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return yy * 365 + yy / 4 - yy / 100 + yy / 400 + before[m - 1] + (m > 2 && leap ? 1 : 0) + d;
}

const std::int64_t kMaxOrdinal = ordinal(9999, 12, 31);

void from_ordinal(std::int64_t n, int& y, int& m, int& d) {
  // Civil-from-days on days since 1970-01-01.
  std::int64_t z = n - ordinal(1970, 1, 1) + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
}

QString clock_text(std::int64_t seconds_of_day, std::int64_t us, bool pad_hours) {
  char buf[64];
  const auto h = seconds_of_day / 3600, mi = seconds_of_day / 60 % 60, s = seconds_of_day % 60;
  std::snprintf(buf, sizeof buf, pad_hours ? "%02lld:%02lld:%02lld" : "%lld:%02lld:%02lld",
                static_cast<long long>(h), static_cast<long long>(mi), static_cast<long long>(s));
  QString out = QString::fromLatin1(buf);
  if (us) {
    std::snprintf(buf, sizeof buf, ".%06lld", static_cast<long long>(us));
    out += QString::fromLatin1(buf);
  }
  return out;
}

QString date_text(std::int64_t ord) {
  int y, m, d;
  from_ordinal(ord, y, m, d);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, d);
  return QString::fromLatin1(buf);
}

// str(timedelta(microseconds=us)).
std::optional<QString> duration_text(__int128 us) {
  __int128 days = us / kUsPerDay;
  __int128 rem = us % kUsPerDay;
  if (rem < 0) {
    rem += kUsPerDay;
    --days;
  }
  if (days > kMaxDeltaDays || days < -kMaxDeltaDays) return std::nullopt;
  const auto secs = static_cast<std::int64_t>(rem / 1'000'000);
  const auto micro = static_cast<std::int64_t>(rem % 1'000'000);
  QString out;
  if (days != 0) {
    const auto dd = static_cast<long long>(days);
    out = QStringLiteral("%1 day%2, ").arg(dd).arg(dd == 1 || dd == -1 ? "" : "s");
  }
  return out + clock_text(secs, micro, false);
}

// Python's divmod(x, 1.0) for floats.
void py_divmod1(double x, double& div, double& mod) {
  mod = std::fmod(x, 1.0);
  double d = x - mod;
  if (mod != 0.0) {
    if (mod < 0) {
      mod += 1.0;
      d -= 1.0;
    }
  } else {
    mod = std::copysign(0.0, 1.0);
  }
  if (d != 0.0) {
    double f = std::floor(d);
    if (d - f > 0.5) f += 1.0;
    div = f;
  } else {
    div = std::copysign(0.0, x);
  }
}

// timedelta(days=v) in microseconds, rounded as CPython rounds float arguments.
__int128 days_to_us(double v) {
  double ip;
  double frac = std::modf(v, &ip);
  __int128 sum = static_cast<__int128>(ip) * kUsPerDay;
  double leftover = 0.0;
  if (frac != 0.0) {
    double dnum = static_cast<double>(kUsPerDay) * frac;
    double ip2;
    leftover = std::modf(dnum, &ip2);
    sum += static_cast<__int128>(ip2);
  }
  if (leftover != 0.0) {
    double whole = std::round(leftover);
    if (std::fabs(whole - leftover) == 0.5) {
      const int odd = static_cast<int>(sum & 1);
      whole = 2.0 * std::round((leftover + odd) * 0.5) - odd;
    }
    sum += static_cast<__int128>(whole);
  }
  return sum;
}

}  // namespace

std::optional<QString> excel_serial_text(double value, bool mac1904, bool duration) {
  if (!std::isfinite(value)) return std::nullopt;
  if (duration) {
    if (std::fabs(value) > 1e12) return std::nullopt;
    __int128 us = days_to_us(value);
    __int128 micro = us % 1'000'000;
    if (micro < 0) micro += 1'000'000;
    if (micro != 0) {
      const double total = static_cast<double>(us) / 1e6;
      const __int128 secs = static_cast<__int128>(std::floor(total));
      // round(micro, -3): half to even on thousands.
      __int128 q = micro / 1000, r = micro % 1000;
      if (r > 500 || (r == 500 && (q & 1))) ++q;
      us = secs * 1'000'000 + q * 1000;
    }
    return duration_text(us);
  }
  double day, fraction;
  py_divmod1(value, day, fraction);
  const auto ms = static_cast<std::int64_t>(std::nearbyint(fraction * 86400.0 * 1000.0));
  const std::int64_t diff_days = ms / 86'400'000;
  const std::int64_t diff_ms = ms % 86'400'000;
  if (value >= 0 && value < 1 && diff_days == 0) return clock_text(diff_ms / 1000, diff_ms % 1000 * 1000, true);
  if (value > 0 && value < 60 && !mac1904) day += 1;
  if (std::fabs(day) > kMaxDeltaDays) return std::nullopt;
  const std::int64_t epoch = mac1904 ? ordinal(1904, 1, 1) : ordinal(1899, 12, 30);
  const std::int64_t mid = epoch + static_cast<std::int64_t>(day);
  if (mid < 1 || mid > kMaxOrdinal) return std::nullopt;
  const std::int64_t ord = mid + diff_days;
  if (ord < 1 || ord > kMaxOrdinal) return std::nullopt;
  return date_text(ord) + QLatin1Char(' ') + clock_text(diff_ms / 1000, diff_ms % 1000 * 1000, true);
}

namespace {

bool digits_at(const QString& s, qsizetype pos, int count, int& out) {
  if (pos + count > s.size()) return false;
  int v = 0;
  for (int i = 0; i < count; ++i) {
    const QChar c = s[pos + i];
    if (c < u'0' || c > u'9') return false;
    v = v * 10 + (c.unicode() - '0');
  }
  out = v;
  return true;
}

[[noreturn]] void invalid_datetime(const QString& value) {
  throw IoError(QStringLiteral("Invalid datetime value %1").arg(value));
}

}  // namespace

QString iso8601_text(const QString& value) {
  qsizetype pos = 0;
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  std::int64_t us = 0;
  bool have_date = false, have_time = false;
  if (digits_at(value, 0, 4, y) && value.size() >= 10 && value[4] == u'-' && digits_at(value, 5, 2, mo) &&
      value[7] == u'-' && digits_at(value, 8, 2, d)) {
    have_date = true;
    pos = 10;
  }
  if (pos < value.size() && value[pos] == u'T') ++pos;
  if (digits_at(value, pos, 2, h) && pos + 2 < value.size() && value[pos + 2] == u':' &&
      digits_at(value, pos + 3, 2, mi)) {
    have_time = true;
    pos += 5;
    if (pos < value.size() && value[pos] == u':' && digits_at(value, pos + 1, 2, s)) {
      pos += 3;
      if (pos < value.size() && value[pos] == u'.') {
        qsizetype n = 0;
        while (n < 3 && pos + 1 + n < value.size() && value[pos + 1 + n] >= u'0' && value[pos + 1 + n] <= u'9') ++n;
        if (n > 0) {
          const double f = value.mid(pos, n + 1).toDouble();
          us = static_cast<std::int64_t>(f * 1'000'000);
        }
      }
    }
  }
  if (have_date || have_time) {
    if (have_date) {
      static const int mdays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
      const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
      if (y < 1 || mo < 1 || mo > 12 || d < 1 || d > (mo == 2 && !leap ? 28 : mdays[mo - 1])) {
        invalid_datetime(value);
      }
    }
    if (h > 23 || mi > 59 || s > 59) invalid_datetime(value);
    const QString clock = clock_text(h * 3600 + mi * 60 + s, us, true);
    if (!have_date) return clock;
    const QString date = date_text(ordinal(y, mo, d));
    if (!have_time) return date;
    return date + QLatin1Char(' ') + clock;
  }
  static const QRegularExpression duration(QStringLiteral(R"(^PT((\d{1,9})H)?((\d{1,9})M)?((\d{1,9})(\.(\d{1,3}))?S)?)"));
  const auto m = duration.match(value);
  if (m.hasMatch() && (m.capturedLength(2) || m.capturedLength(4) || m.capturedLength(6))) {
    __int128 total = 0;
    total += static_cast<__int128>(m.captured(2).toLongLong()) * 3'600'000'000LL;
    total += static_cast<__int128>(m.captured(4).toLongLong()) * 60'000'000LL;
    total += static_cast<__int128>(m.captured(6).toLongLong()) * 1'000'000LL;
    if (m.capturedLength(8)) total += m.captured(8).leftJustified(6, u'0').toLongLong();
    if (auto text = duration_text(total)) return *text;
  }
  invalid_datetime(value);
}

bool is_date_format(const QString& code) {
  // One pass over the first section: quoted literals ("..." within one line)
  // and [..] groups other than [h] [hh] [m] [mm] [s] [ss] are left out; of
  // what remains, a date letter counts when a character other than a
  // backslash stands before it. The next '"', line end and ']' are found by
  // searches that only move forward, so the scan stays linear whatever the
  // brackets and quotes.
  const qsizetype end = code.indexOf(u';') < 0 ? code.size() : code.indexOf(u';');
  const QStringView first = QStringView(code).left(end);
  const auto next_at = [&first](qsizetype& cached, qsizetype from, QChar c) {
    if (cached != -2 && (cached == -1 || cached >= from)) return cached;
    cached = first.indexOf(c, from);
    return cached;
  };
  qsizetype next_quote = -2, next_line = -2, next_close = -2;
  bool have_previous = false;
  QChar previous;
  qsizetype i = 0;
  while (i < first.size()) {
    const QChar c = first[i];
    if (c == u'"') {
      const qsizetype quote = next_at(next_quote, i + 1, u'"');
      const qsizetype line = next_at(next_line, i + 1, u'\n');
      if (quote >= 0 && (line < 0 || quote < line)) {
        i = quote + 1;
        continue;
      }
    } else if (c == u'[') {
      const QStringView rest = first.mid(i + 1, 3);
      const bool duration = rest.startsWith(u"h]") || rest.startsWith(u"hh]") || rest.startsWith(u"m]") ||
                            rest.startsWith(u"mm]") || rest.startsWith(u"s]") || rest.startsWith(u"ss]");
      const qsizetype close = duration ? -1 : next_at(next_close, i + 1, u']');
      if (close >= 0) {
        i = close + 1;
        continue;
      }
    }
    if (have_previous && previous != u'\\') {
      switch (c.unicode()) {
        case 'd': case 'm': case 'h': case 'y': case 's':
        case 'D': case 'M': case 'H': case 'Y': case 'S':
          return true;
        default:
          break;
      }
    }
    have_previous = true;
    previous = c;
    ++i;
  }
  return false;
}

bool is_duration_format(const QString& code) {
  static const QRegularExpression re(QStringLiteral(R"(\[hh?\]|\[mm?\]|\[ss?\])"),
                                     QRegularExpression::CaseInsensitiveOption);
  return re.match(code.section(u';', 0, 0)).hasMatch();
}

QString builtin_number_format(int id) {
  switch (id) {
    case 0: return QStringLiteral("General");
    case 1: return QStringLiteral("0");
    case 2: return QStringLiteral("0.00");
    case 3: return QStringLiteral("#,##0");
    case 4: return QStringLiteral("#,##0.00");
    case 9: return QStringLiteral("0%");
    case 10: return QStringLiteral("0.00%");
    case 11: return QStringLiteral("0.00E+00");
    case 12: return QStringLiteral("# ?/?");
    case 13: return QStringLiteral("# ?\?/?\?");
    case 14: return QStringLiteral("mm-dd-yy");
    case 15: return QStringLiteral("d-mmm-yy");
    case 16: return QStringLiteral("d-mmm");
    case 17: return QStringLiteral("mmm-yy");
    case 18: return QStringLiteral("h:mm AM/PM");
    case 19: return QStringLiteral("h:mm:ss AM/PM");
    case 20: return QStringLiteral("h:mm");
    case 21: return QStringLiteral("h:mm:ss");
    case 22: return QStringLiteral("m/d/yy h:mm");
    case 45: return QStringLiteral("mm:ss");
    case 46: return QStringLiteral("[h]:mm:ss");
    case 47: return QStringLiteral("mmss.0");
    case 48: return QStringLiteral("##0.0E+0");
    case 49: return QStringLiteral("@");
    default: return QString();  // the currency and accounting formats hold no date letters either
  }
}

}  // namespace trelvo::io
