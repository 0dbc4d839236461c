#pragma once
// Platform reads of local time and regional time format; one file per OS.
#include "support/pacer.h"

namespace sk {

LocalTime platformLocalTime();
// The separator between hours, minutes and seconds in the PC's regional format.
char platformTimeSeparator();

}  // namespace sk
