#include "platform/runtime/DateTime.h"
#include "platform/runtime/Exception.h"
#include "platform/testing/Testing.h"

#include <cmath>

namespace {

struct TYmd {
    uint16_t Year, Month, Day;
};

TYmd Ymd(TDateTime dt)
{
    TYmd r{};
    DecodeDate(dt, r.Year, r.Month, r.Day);
    return r;
}

std::string Clock(TDateTime dt)
{
    uint16_t h, m, s, ms;
    DecodeTime(dt, h, m, s, ms);
    return Format("%.2d:%.2d:%.2d.%.3d", {h, m, s, ms});
}

bool operator==(const TYmd& a, const TYmd& b)
{
    return a.Year == b.Year && a.Month == b.Month && a.Day == b.Day;
}

void PrintTo(const TYmd& d, std::ostream* os)
{
    *os << d.Year << "-" << d.Month << "-" << d.Day;
}

}  // namespace

TEST(DateTime, KnownDatesEncodeAndDecode)
{
    struct TCase {
        TYmd Date;
        double Serial;
        int32_t DayOfWeek;  // 1 = Sunday
    };
    const TCase cases[] = {
        {{1899, 12, 30}, 0, 7},      {{1899, 12, 29}, -1, 6},        {{1900, 1, 1}, 2, 2},
        {{1900, 3, 1}, 61, 5},       {{2000, 2, 29}, 36585, 3},      {{2024, 2, 29}, 45351, 5},
        {{1600, 2, 29}, -109512, 3}, {{1, 1, 1}, -693593, 2},        {{9999, 12, 31}, 2958465, 6},
        {{1970, 1, 1}, UnixDateDelta, 5},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(EncodeDate(c.Date.Year, c.Date.Month, c.Date.Day), c.Serial);
        EXPECT_EQ(Ymd(c.Serial), c.Date);
        EXPECT_EQ(DayOfWeek(c.Serial), c.DayOfWeek) << c.Serial;
    }
}

TEST(DateTime, EveryDayOfTheCalendarRoundTrips)
{
    double expected = EncodeDate(1, 1, 1);
    for (uint16_t y = 1; y <= 9999; ++y) {
        ASSERT_EQ(IsLeapYear(y), (y % 4 == 0 && y % 100 != 0) || y % 400 == 0);
        for (uint16_t m = 1; m <= 12; ++m) {
            const uint16_t days = DaysInAMonth(y, m);
            for (uint16_t d = 1; d <= days; ++d) {
                TDateTime dt = 0;
                ASSERT_TRUE(TryEncodeDate(y, m, d, dt));
                ASSERT_EQ(dt, expected) << y << "-" << m << "-" << d;
                // 18:00 that day (before 1899 the time is subtracted).
                ASSERT_EQ(Ymd(dt >= 0 ? dt + 0.75 : dt - 0.75), (TYmd{y, m, d}));
                expected += 1;
            }
        }
    }
}

TEST(DateTime, InvalidDatesAndTimesRaise)
{
    const TYmd badDates[] = {{1900, 2, 29}, {2100, 2, 29}, {2023, 2, 29}, {0, 1, 1},  {10000, 1, 1},
                             {2000, 13, 1}, {2000, 0, 1},  {2000, 4, 31}, {2000, 1, 0}};
    for (const TYmd& d : badDates) {
        TDateTime dt = 123;
        EXPECT_FALSE(TryEncodeDate(d.Year, d.Month, d.Day, dt));
        EXPECT_EQ(dt, 123);
        EXPECT_THROW(EncodeDate(d.Year, d.Month, d.Day), EConvertError);
    }
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
    EXPECT_THROW(EncodeTime(23, 60, 0, 0), EConvertError);
    EXPECT_THROW(EncodeTime(23, 59, 60, 0), EConvertError);
    EXPECT_THROW(EncodeTime(23, 59, 59, 1000), EConvertError);
    EXPECT_EQ(Clock(EncodeTime(23, 59, 59, 999)), "23:59:59.999");
    EXPECT_EQ(EncodeTime(6, 0, 0, 0), 0.25);
}

TEST(DateTime, TimesDecodeBySignAndRoundToTheMillisecond)
{
    // Before 30 December 1899 the day counts back, the time still runs forward.
    EXPECT_EQ(Ymd(-1.25), (TYmd{1899, 12, 29}));
    EXPECT_EQ(Clock(-1.25), "06:00:00.000");
    EXPECT_EQ(Ymd(-0.5), (TYmd{1899, 12, 30}));
    EXPECT_EQ(Clock(-0.5), "12:00:00.000");
    // Just under midnight rounds to the next day, never to 24:00.
    EXPECT_EQ(Ymd(0.999999999), (TYmd{1899, 12, 31}));
    EXPECT_EQ(Clock(0.999999999), "00:00:00.000");
    // Values no calendar holds decode as zeros.
    EXPECT_EQ(Ymd(-693594), (TYmd{0, 0, 0}));
    EXPECT_EQ(Ymd(NAN), (TYmd{0, 0, 0}));
    EXPECT_EQ(Ymd(1e300), (TYmd{0, 0, 0}));
}

TEST(DateTime, IncMonthCutsTheDayAndKeepsTheTime)
{
    const TDateTime jan31 = EncodeDate(2004, 1, 31) + EncodeTime(18, 0, 0, 0);
    EXPECT_EQ(IncMonth(jan31, 1), EncodeDate(2004, 2, 29) + 0.75);
    EXPECT_EQ(IncMonth(jan31, 13), EncodeDate(2005, 2, 28) + 0.75);
    EXPECT_EQ(IncMonth(jan31, -1), EncodeDate(2003, 12, 31) + 0.75);
    EXPECT_EQ(IncMonth(jan31, -14), EncodeDate(2002, 11, 30) + 0.75);
    EXPECT_EQ(IncMonth(jan31, 0), jan31);
    EXPECT_EQ(IncMonth(-1.25), 30.25);  // 29 Dec 1899 6:00 -> 29 Jan 1900 6:00
    ASSERT_EQ(Ymd(-76.5), (TYmd{1899, 10, 15}));
    EXPECT_EQ(IncMonth(-76.5, 1), -45.5) << "15 Nov 1899 12:00: negative dates keep their time";
    EXPECT_THROW(IncMonth(EncodeDate(9999, 12, 1), 1), EConvertError);
    EXPECT_EQ(DaysInMonth(EncodeDate(1900, 2, 10)), 28);
    EXPECT_EQ(DaysInMonth(EncodeDate(2000, 2, 10)), 29);
}

TEST(DateTime, DosFileDatesPackAndUnpack)
{
    struct TCase {
        TDateTime Value;
        int32_t Packed;
    };
    const TCase cases[] = {
        {EncodeDate(1980, 1, 1), 0x00210000},
        {EncodeDate(2004, 6, 15) + EncodeTime(13, 45, 58, 0), static_cast<int32_t>(0x30CF6DBD)},
        {EncodeDate(2107, 12, 31) + EncodeTime(23, 59, 58, 0), static_cast<int32_t>(0xFF9FBF7D)},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(DateTimeToFileDate(c.Value), c.Packed);
        EXPECT_EQ(FileDateToDateTime(c.Packed), c.Value);
    }
    // Odd seconds and milliseconds fall to the 2-second step.
    const TDateTime odd = EncodeDate(2010, 10, 10) + EncodeTime(10, 10, 11, 900);
    EXPECT_EQ(FileDateToDateTime(DateTimeToFileDate(odd)), EncodeDate(2010, 10, 10) + EncodeTime(10, 10, 10, 0));
    EXPECT_EQ(DateTimeToFileDate(EncodeDate(1979, 12, 31)), 0);
    EXPECT_EQ(DateTimeToFileDate(EncodeDate(2108, 1, 1)), 0);
    EXPECT_EQ(DateTimeToFileDate(-5), 0);
    EXPECT_THROW(FileDateToDateTime(0), EConvertError);           // month 0
    EXPECT_THROW(FileDateToDateTime(0x00210000 | (24 << 11)), EConvertError);  // hour 24
}

TEST(DateTime, UnixAndFileTimes)
{
    EXPECT_EQ(UnixToDateTime(0), UnixDateDelta);
    EXPECT_EQ(UnixToDateTime(86400 + 43200), UnixDateDelta + 1.5);
    // Before 1899: the negative day with the time running forward.
    const int64_t dec29noon = -static_cast<int64_t>(UnixDateDelta + 1) * 86400 + 43200;
    EXPECT_EQ(UnixToDateTime(dec29noon), -1.5);
    EXPECT_EQ(DateTimeToUnix(-1.5), dec29noon);
    for (int64_t t : {int64_t(0), int64_t(1700000000), int64_t(-1), int64_t(253402300799)})
        EXPECT_EQ(DateTimeToUnix(UnixToDateTime(t)), t);

    EXPECT_EQ(DateTimeToFileTime(EncodeDate(1601, 1, 1)), 0u);
    EXPECT_EQ(DateTimeToFileTime(EncodeDate(1970, 1, 1)), 116444736000000000ull);
    const TDateTime when = EncodeDate(2020, 5, 17) + EncodeTime(10, 11, 12, 345);
    EXPECT_EQ(DateTimeToFileTime(when), 132341838723450000ull);
    EXPECT_EQ(FileTimeToDateTime(132341838723450000ull), when);
    EXPECT_EQ(FileTimeToDateTime(132341838723450000ull + 4999), when);  // below the millisecond
    const TDateTime old = EncodeDate(1700, 6, 1) - 0.5;  // 1 June 1700, 12:00
    EXPECT_EQ(DateTimeToFileTime(old), 31372272000000000ull);
    EXPECT_EQ(FileTimeToDateTime(31372272000000000ull), old);
    EXPECT_EQ(DateTimeToFileTime(EncodeDate(1600, 12, 31)), 0u);
}

TEST(DateTime, LocalTimeConversionsRoundTrip)
{
    for (std::time_t t : {std::time_t(0), std::time_t(1700000000), std::time_t(951782400)}) {
        TDateTime local = TimeTToLocalDateTime(t);
        EXPECT_EQ(LocalDateTimeToTimeT(local), t);
    }
    const TDateTime now = Now();
    EXPECT_GE(Ymd(now).Year, 2024);
    EXPECT_EQ(Date(), std::trunc(Date()));
    EXPECT_GE(Time(), 0.0);
    EXPECT_LT(Time(), 1.0);
}

TEST(DateTime, FormatDateTimeWithTheOriginalSpecifiers)
{
    const TDateTime morning = EncodeDate(2004, 2, 7) + EncodeTime(9, 5, 3, 45);  // a Saturday
    const TDateTime evening = EncodeDate(2004, 2, 7) + EncodeTime(21, 5, 3, 45);
    const TDateTime midnight = EncodeDate(2004, 2, 7);
    const TDateTime noon = EncodeDate(2004, 2, 7) + 0.5;
    struct TCase {
        const char* Format;
        TDateTime Value;
        const char* Expected;
    };
    const TCase cases[] = {
        {"d/m/yy", morning, "7/2/04"},
        {"dd/mm/yyyy", morning, "07/02/2004"},
        {"yyy", morning, "2004"},
        {"ddd dddd", morning, "sam. samedi"},
        {"mmm mmmm MMMMM", morning, "févr. février février"},
        {"h:n:s", morning, "9:5:3"},
        {"hh:nn:ss", morning, "09:05:03"},
        {"hh:mm", morning, "09:05"},  // m right after h is the minute
        {"hh' h 'mm", morning, "09 h 05"},
        {"mm hh", morning, "02 09"},
        {"z zzz zzzz", morning, "45 045 045"},
        {"c", morning, "07/02/2004 09:05:03"},
        {"c", midnight, "07/02/2004"},
        {"", morning, "07/02/2004 09:05:03"},
        {"ddddd", morning, "07/02/2004"},
        {"dddddd", morning, "samedi 7 février 2004"},
        {"t", morning, "09:05"},
        {"tt", morning, "09:05:03"},
        {"'le' d mmmm", morning, "le 7 février"},
        {"\"h\"h", morning, "h9"},
        {"'non fermé", morning, "non fermé"},
        {"h:nn am/pm", morning, "9:05 am"},
        {"h:nn am/pm", evening, "9:05 pm"},
        {"hh:nn AM/PM", evening, "09:05 PM"},
        {"h a/p", evening, "9 p"},
        {"h am/pm", midnight, "12 am"},
        {"h am/pm", noon, "12 pm"},
        {"h 'am/pm'", evening, "21 am/pm"},  // quoted: no 12-hour clock
        {"aaaa aaa", morning, "samedi sam."},
        {"x-d", morning, "x-7"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(FormatDateTime(c.Format, c.Value), c.Expected) << c.Format;

    TFormatSettings english;
    english.DateSeparator = '-';
    english.TimeSeparator = '.';
    english.TimeAMString = "AM";
    english.TimePMString = "PM";
    english.ShortDateFormat = "c";  // nests no deeper than one level
    EXPECT_EQ(FormatDateTime("dd/mm hh:nn ampm", evening, english), "07-02 09.05 PM");
    EXPECT_EQ(FormatDateTime("ddddd", evening, english), " ");
    EXPECT_EQ(FormatDateTime("hh ampm", morning), "09 ") << "French has no am/pm texts";
}
