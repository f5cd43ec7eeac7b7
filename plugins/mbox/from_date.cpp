// A FILETIME as the date text of a From_ line, in UTC: calendar arithmetic, no system call, any year.
#include "plugins/mbox/message_state.h"

#include "platform/file_times.h"
#include "platform/platform.h"

namespace mbox {

void FormatUtcDateText(uint64_t filetime, char (&text)[kDateTextSize])
{
    int64_t seconds = platform::UnixSecondsFromFiletime(filetime);
    int64_t days = seconds / 86400;
    int64_t in_day = seconds % 86400;
    if (in_day < 0) {
        in_day += 86400;
        --days;
    }
    platform::LocalTime time;
    time.hour = static_cast<int>(in_day / 3600);
    time.minute = static_cast<int>(in_day / 60 % 60);
    time.second = static_cast<int>(in_day % 60);
    time.day_of_week = static_cast<int>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
    // Days since 1970 to a civil date, by 400-year eras that begin on 1 March.
    int64_t shifted = days + 719468;
    int64_t era = (shifted >= 0 ? shifted : shifted - 146096) / 146097;
    int64_t day_of_era = shifted - era * 146097;
    int64_t year_of_era = (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
    int64_t day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
    int64_t month_index = (5 * day_of_year + 2) / 153;  // 0 = March
    time.day = static_cast<int>(day_of_year - (153 * month_index + 2) / 5 + 1);
    time.month = static_cast<int>(month_index < 10 ? month_index + 3 : month_index - 9);
    time.year = static_cast<int>(year_of_era + era * 400 + (time.month <= 2 ? 1 : 0));
    FormatDateText(time, text);
}

}  // namespace mbox
