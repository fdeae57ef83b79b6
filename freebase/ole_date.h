// Dates of the database header: OLE Automation dates, whole days since
// 30 December 1899 with the time of day as the fraction, in local time.
#pragma once

using TFBDateTime = double;

// Midnight 30 December 1899 is 0; the fraction carries milliseconds.
TFBDateTime FBEncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                             int millisecond);
// Local time now.
TFBDateTime FBDateTimeNow();
