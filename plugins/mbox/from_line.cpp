#include "plugins/mbox/from_line.h"

#include <cstdio>

namespace mbox {

void FormatDateText(const platform::LocalTime& time, char (&text)[kDateTextSize])
{
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const char* day = time.day_of_week >= 0 && time.day_of_week <= 6 ? kDays[time.day_of_week] : "???";
    const char* month = time.month >= 1 && time.month <= 12 ? kMonths[time.month - 1] : "???";
    std::snprintf(text, kDateTextSize, " %s %s %02d %02d:%02d:%02d %04d\r\n", day, month, time.day, time.hour,
                  time.minute, time.second, time.year);
}

}  // namespace mbox
