#include "platform/runtime/DateTime.h"

#include "platform/runtime/Exception.h"

#include <algorithm>
#include <cmath>
#include <time.h>

namespace {

const char* const kDateEncodeError = "Argument incorrect pour le codage de la date";
const char* const kTimeEncodeError = "Argument incorrect pour le codage de l'heure";

constexpr uint16_t kMonthDays[2][12] = {{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                                        {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};
// Days from 1 January 0001 (day 1) to 1 January 1601.
constexpr int64_t kFileTimeDayOne = 584389;
constexpr int64_t kFileTimeStepsPerMSec = 10000;

// A date and time as whole days since 1 January 0001 (day 1) and milliseconds
// since midnight. Date is 0 for values no calendar date can hold.
struct TTimeStamp {
    int32_t Time = 0;
    int32_t Date = 0;
};

TTimeStamp DateTimeToTimeStamp(TDateTime dateTime)
{
    TTimeStamp ts;
    // Beyond year 9999 on either side nothing decodes; keep the arithmetic sane.
    if (!std::isfinite(dateTime) || std::fabs(dateTime) > 3.0e6)
        return ts;
    // Rounded to the millisecond first (to even, as the floating-point unit
    // rounds), so 0.99999999999 is the next midnight, not 23:59:59.1000.
    const int64_t total = static_cast<int64_t>(std::nearbyint(dateTime * MSecsPerDay));
    const int64_t magnitude = total < 0 ? -total : total;
    const int64_t days = magnitude / MSecsPerDay;
    ts.Time = static_cast<int32_t>(magnitude % MSecsPerDay);
    ts.Date = static_cast<int32_t>((total < 0 ? -days : days) + DateDelta);
    return ts;
}

// Joins a day and a time of day by the sign rule of TDateTime.
TDateTime Compose(TDateTime date, TDateTime time)
{
    return date >= 0 ? date + time : date - time;
}

void DecodeTimeStampDate(int32_t t, uint16_t& year, uint16_t& month, uint16_t& day)
{
    if (t <= 0) {
        year = month = day = 0;
        return;
    }
    constexpr int32_t D1 = 365;
    constexpr int32_t D4 = D1 * 4 + 1;
    constexpr int32_t D100 = D4 * 25 - 1;
    constexpr int32_t D400 = D100 * 4 + 1;
    --t;
    int32_t y = 1;
    while (t >= D400) {
        t -= D400;
        y += 400;
    }
    int32_t i = t / D100;
    int32_t d = t % D100;
    if (i == 4) {
        --i;
        d += D100;
    }
    y += i * 100;
    i = d / D4;
    d %= D4;
    y += i * 4;
    i = d / D1;
    d %= D1;
    if (i == 4) {
        --i;
        d += D1;
    }
    y += i;
    const uint16_t* days = kMonthDays[IsLeapYear(static_cast<uint16_t>(y)) ? 1 : 0];
    int32_t m = 0;
    while (d >= days[m]) {
        d -= days[m];
        ++m;
    }
    year = static_cast<uint16_t>(y);
    month = static_cast<uint16_t>(m + 1);
    day = static_cast<uint16_t>(d + 1);
}

// Days since 1 January 0001 (day 1) of a valid date.
int64_t TimeStampDate(uint16_t year, uint16_t month, uint16_t day)
{
    const uint16_t* days = kMonthDays[IsLeapYear(year) ? 1 : 0];
    int64_t d = day;
    for (int m = 0; m < month - 1; ++m)
        d += days[m];
    const int64_t y = year - 1;
    return y * 365 + y / 4 - y / 100 + y / 400 + d;
}

TDateTime FromTm(const std::tm& tm, int32_t msec)
{
    TDateTime date = EncodeDate(static_cast<uint16_t>(tm.tm_year + 1900), static_cast<uint16_t>(tm.tm_mon + 1),
                                static_cast<uint16_t>(tm.tm_mday));
    // A leap second (60) counts as the last second of its minute.
    TDateTime time = EncodeTime(static_cast<uint16_t>(tm.tm_hour), static_cast<uint16_t>(tm.tm_min),
                                static_cast<uint16_t>(tm.tm_sec > 59 ? 59 : tm.tm_sec), static_cast<uint16_t>(msec));
    return Compose(date, time);
}

}  // namespace

bool IsLeapYear(uint16_t year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

uint16_t DaysInAMonth(uint16_t year, uint16_t month)
{
    if (month < 1 || month > 12)
        return 0;
    return kMonthDays[IsLeapYear(year) ? 1 : 0][month - 1];
}

uint16_t DaysInMonth(TDateTime dateTime)
{
    uint16_t y, m, d;
    DecodeDate(dateTime, y, m, d);
    return DaysInAMonth(y, m);
}

bool TryEncodeDate(uint16_t year, uint16_t month, uint16_t day, TDateTime& date)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInAMonth(year, month))
        return false;
    date = static_cast<TDateTime>(TimeStampDate(year, month, day) - DateDelta);
    return true;
}

TDateTime EncodeDate(uint16_t year, uint16_t month, uint16_t day)
{
    TDateTime date = 0;
    if (!TryEncodeDate(year, month, day, date))
        throw EConvertError(kDateEncodeError);
    return date;
}

bool TryEncodeTime(uint16_t hour, uint16_t min, uint16_t sec, uint16_t msec, TDateTime& time)
{
    if (hour >= HoursPerDay || min >= 60 || sec >= 60 || msec >= 1000)
        return false;
    time = (hour * 3600000.0 + min * 60000.0 + sec * 1000.0 + msec) / MSecsPerDay;
    return true;
}

TDateTime EncodeTime(uint16_t hour, uint16_t min, uint16_t sec, uint16_t msec)
{
    TDateTime time = 0;
    if (!TryEncodeTime(hour, min, sec, msec, time))
        throw EConvertError(kTimeEncodeError);
    return time;
}

void DecodeDate(TDateTime date, uint16_t& year, uint16_t& month, uint16_t& day)
{
    DecodeTimeStampDate(DateTimeToTimeStamp(date).Date, year, month, day);
}

void DecodeTime(TDateTime time, uint16_t& hour, uint16_t& min, uint16_t& sec, uint16_t& msec)
{
    int32_t ms = DateTimeToTimeStamp(time).Time;
    hour = static_cast<uint16_t>(ms / 3600000);
    ms %= 3600000;
    min = static_cast<uint16_t>(ms / 60000);
    ms %= 60000;
    sec = static_cast<uint16_t>(ms / 1000);
    msec = static_cast<uint16_t>(ms % 1000);
}

int32_t DayOfWeek(TDateTime date)
{
    int32_t d = DateTimeToTimeStamp(date).Date;
    return ((d % 7) + 7) % 7 + 1;
}

TDateTime Now()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::tm tm{};
    localtime_r(&now.tv_sec, &tm);
    return FromTm(tm, static_cast<int32_t>(now.tv_nsec / 1000000));
}

TDateTime Date()
{
    return std::trunc(Now());
}

TDateTime Time()
{
    TDateTime now = Now();
    return std::fabs(now - std::trunc(now));
}

TDateTime IncMonth(TDateTime date, int32_t numberOfMonths)
{
    uint16_t year, month, day;
    DecodeDate(date, year, month, day);
    int32_t y = year + numberOfMonths / 12;
    int32_t m = month + numberOfMonths % 12;
    if (m < 1) {
        m += 12;
        --y;
    } else if (m > 12) {
        m -= 12;
        ++y;
    }
    if (y < 1 || y > 9999)
        throw EConvertError(kDateEncodeError);
    int32_t d = std::min<int32_t>(day, DaysInAMonth(static_cast<uint16_t>(y), static_cast<uint16_t>(m)));
    TDateTime result = EncodeDate(static_cast<uint16_t>(y), static_cast<uint16_t>(m), static_cast<uint16_t>(d));
    return Compose(result, std::fabs(date - std::trunc(date)));
}

int32_t DateTimeToFileDate(TDateTime dateTime)
{
    uint16_t year, month, day, hour, min, sec, msec;
    DecodeDate(dateTime, year, month, day);
    if (year < 1980 || year > 2107)
        return 0;
    DecodeTime(dateTime, hour, min, sec, msec);
    const uint32_t lo = static_cast<uint32_t>((sec >> 1) | (min << 5) | (hour << 11));
    const uint32_t hi = static_cast<uint32_t>(day | (month << 5) | ((year - 1980) << 9));
    return static_cast<int32_t>((hi << 16) | lo);
}

TDateTime FileDateToDateTime(int32_t fileDate)
{
    const uint32_t v = static_cast<uint32_t>(fileDate);
    const uint32_t hi = v >> 16;
    const uint32_t lo = v & 0xFFFF;
    return EncodeDate(static_cast<uint16_t>((hi >> 9) + 1980), static_cast<uint16_t>((hi >> 5) & 15),
                      static_cast<uint16_t>(hi & 31)) +
           EncodeTime(static_cast<uint16_t>(lo >> 11), static_cast<uint16_t>((lo >> 5) & 63),
                      static_cast<uint16_t>((lo & 31) << 1), 0);
}

TDateTime UnixToDateTime(int64_t seconds)
{
    int64_t days = seconds / SecsPerDay;
    int64_t rest = seconds % SecsPerDay;
    if (rest < 0) {
        rest += SecsPerDay;
        --days;
    }
    return Compose(static_cast<TDateTime>(days + UnixDateDelta), static_cast<TDateTime>(rest) / SecsPerDay);
}

int64_t DateTimeToUnix(TDateTime dateTime)
{
    TTimeStamp ts = DateTimeToTimeStamp(dateTime);
    const int64_t days = static_cast<int64_t>(ts.Date) - DateDelta - UnixDateDelta;
    return days * SecsPerDay + static_cast<int64_t>(std::nearbyint(ts.Time / 1000.0));
}

TDateTime TimeTToLocalDateTime(std::time_t t)
{
    std::tm tm{};
    if (!localtime_r(&t, &tm))
        return 0;
    return FromTm(tm, 0);
}

std::time_t LocalDateTimeToTimeT(TDateTime dateTime)
{
    uint16_t year, month, day, hour, min, sec, msec;
    DecodeDate(dateTime, year, month, day);
    DecodeTime(dateTime, hour, min, sec, msec);
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = min;
    tm.tm_sec = sec;
    tm.tm_isdst = -1;  // the time zone's rule for that day decides
    return mktime(&tm);
}

TDateTime FileTimeToDateTime(uint64_t fileTime)
{
    const uint64_t stepsPerDay = static_cast<uint64_t>(MSecsPerDay) * kFileTimeStepsPerMSec;
    const int64_t days = static_cast<int64_t>(fileTime / stepsPerDay) + kFileTimeDayOne - DateDelta;
    const uint64_t rest = fileTime % stepsPerDay;
    // The time of day to the millisecond, as a TDateTime holds it.
    const double msec = std::nearbyint(static_cast<double>(rest) / kFileTimeStepsPerMSec);
    return Compose(static_cast<TDateTime>(days), msec / MSecsPerDay);
}

uint64_t DateTimeToFileTime(TDateTime dateTime)
{
    TTimeStamp ts = DateTimeToTimeStamp(dateTime);
    const int64_t days = static_cast<int64_t>(ts.Date) - kFileTimeDayOne;
    if (ts.Date <= 0 || days < 0)
        return 0;
    return (static_cast<uint64_t>(days) * MSecsPerDay + static_cast<uint64_t>(ts.Time)) * kFileTimeStepsPerMSec;
}

// ---------------------------------------------------------------------------

namespace {

class TDateTimeFormatter {
public:
    TDateTimeFormatter(TDateTime dateTime, const TFormatSettings& settings)
        : FDateTime(dateTime), FSettings(settings)
    {
    }

    // One format; nested formats (c, ddddd, t...) go one level deep at most.
    void Append(std::string_view format)
    {
        if (FLevel >= 2)
            return;
        ++FLevel;
        char lastToken = ' ';
        bool use12Hour = false;
        size_t i = 0;
        const size_t n = format.size();
        auto count = [&](char starter) {
            size_t start = i;
            while (i < n && format[i] == starter)
                ++i;
            return static_cast<int>(i - start) + 1;
        };
        auto startsWith = [&](size_t at, std::string_view what) {
            if (at + what.size() > n)
                return false;
            for (size_t k = 0; k < what.size(); ++k)
                if (Upper(format[at + k]) != what[k])
                    return false;
            return true;
        };
        while (i < n) {
            const char starter = format[i++];
            char token = Upper(starter);
            if (token >= 'A' && token <= 'Z') {
                if (token == 'M' && lastToken == 'H')
                    token = 'N';
                lastToken = token;
            }
            switch (token) {
            case 'Y': {
                int c = count(starter);
                Decode();
                if (c <= 2)
                    Number(FYear % 100, 2);
                else
                    Number(FYear, 4);
                break;
            }
            case 'M': {
                int c = count(starter);
                Decode();
                if (c <= 2)
                    Number(FMonth, c);
                else if (FMonth >= 1 && FMonth <= 12)
                    FOut += c == 3 ? FSettings.ShortMonthNames[FMonth - 1] : FSettings.LongMonthNames[FMonth - 1];
                break;
            }
            case 'D': {
                int c = count(starter);
                if (c <= 2) {
                    Decode();
                    Number(FDay, c);
                } else if (c == 3) {
                    FOut += FSettings.ShortDayNames[DayOfWeek(FDateTime) - 1];
                } else if (c == 4) {
                    FOut += FSettings.LongDayNames[DayOfWeek(FDateTime) - 1];
                } else if (c == 5) {
                    Append(FSettings.ShortDateFormat);
                } else {
                    Append(FSettings.LongDateFormat);
                }
                break;
            }
            case 'H': {
                int c = count(starter);
                DecodeClock();
                // A 12-hour clock when an am/pm marker follows before the next hour.
                bool quoted = false;
                for (size_t p = i; p < n; ++p) {
                    char ch = format[p];
                    if (!quoted && (ch == 'A' || ch == 'a')) {
                        if (startsWith(p, "AM/PM") || startsWith(p, "A/P") || startsWith(p, "AMPM"))
                            use12Hour = true;
                        break;
                    }
                    if (!quoted && (ch == 'H' || ch == 'h'))
                        break;
                    if (ch == '\'' || ch == '"')
                        quoted = !quoted;
                }
                int h = FHour;
                if (use12Hour) {
                    if (h == 0)
                        h = 12;
                    else if (h > 12)
                        h -= 12;
                }
                Number(h, c > 2 ? 2 : c);
                break;
            }
            case 'N': {
                int c = count(starter);
                DecodeClock();
                Number(FMin, c > 2 ? 2 : c);
                break;
            }
            case 'S': {
                int c = count(starter);
                DecodeClock();
                Number(FSec, c > 2 ? 2 : c);
                break;
            }
            case 'Z': {
                int c = count(starter);
                DecodeClock();
                Number(FMSec, c > 3 ? 3 : c);
                break;
            }
            case 'T': {
                int c = count(starter);
                Append(c == 1 ? FSettings.ShortTimeFormat : FSettings.LongTimeFormat);
                break;
            }
            case 'C': {
                count(starter);
                Append(FSettings.ShortDateFormat);
                DecodeClock();
                if (FHour != 0 || FMin != 0 || FSec != 0) {
                    FOut += ' ';
                    Append(FSettings.LongTimeFormat);
                }
                break;
            }
            case 'A': {
                const size_t at = i - 1;
                DecodeClock();
                if (startsWith(at, "AM/PM")) {
                    FOut.append(format.substr(FHour >= 12 ? at + 3 : at, 2));
                    i = at + 5;
                    use12Hour = true;
                } else if (startsWith(at, "A/P")) {
                    FOut += format[FHour >= 12 ? at + 2 : at];
                    i = at + 3;
                    use12Hour = true;
                } else if (startsWith(at, "AMPM")) {
                    FOut += FHour < 12 ? FSettings.TimeAMString : FSettings.TimePMString;
                    i = at + 4;
                    use12Hour = true;
                } else if (startsWith(at, "AAAA")) {
                    FOut += FSettings.LongDayNames[DayOfWeek(FDateTime) - 1];
                    i = at + 4;
                } else if (startsWith(at, "AAA")) {
                    FOut += FSettings.ShortDayNames[DayOfWeek(FDateTime) - 1];
                    i = at + 3;
                } else {
                    FOut += starter;
                }
                break;
            }
            case '/':
                if (FSettings.DateSeparator != '\0')
                    FOut += FSettings.DateSeparator;
                break;
            case ':':
                if (FSettings.TimeSeparator != '\0')
                    FOut += FSettings.TimeSeparator;
                break;
            case '\'':
            case '"': {
                size_t start = i;
                while (i < n && format[i] != starter)
                    ++i;
                FOut.append(format.substr(start, i - start));
                if (i < n)
                    ++i;
                break;
            }
            default:
                FOut += starter;
                break;
            }
        }
        --FLevel;
    }

    std::string Result() { return std::move(FOut); }

private:
    static char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

    void Decode()
    {
        if (!FDateDecoded) {
            DecodeDate(FDateTime, FYear, FMonth, FDay);
            FDateDecoded = true;
        }
    }

    void DecodeClock()
    {
        if (!FTimeDecoded) {
            DecodeTime(FDateTime, FHour, FMin, FSec, FMSec);
            FTimeDecoded = true;
        }
    }

    // value (0 to 65535) with at least digits digits.
    void Number(int value, int digits)
    {
        std::string s = std::to_string(value);
        if (static_cast<int>(s.size()) < digits)
            FOut.append(static_cast<size_t>(digits) - s.size(), '0');
        FOut += s;
    }

    TDateTime FDateTime;
    const TFormatSettings& FSettings;
    std::string FOut;
    int FLevel = 0;
    bool FDateDecoded = false;
    bool FTimeDecoded = false;
    uint16_t FYear = 0, FMonth = 0, FDay = 0;
    uint16_t FHour = 0, FMin = 0, FSec = 0, FMSec = 0;
};

}  // namespace

std::string FormatDateTime(std::string_view format, TDateTime dateTime, const TFormatSettings& settings)
{
    TDateTimeFormatter formatter(dateTime, settings);
    formatter.Append(format.empty() ? std::string_view("C") : format);
    return formatter.Result();
}
