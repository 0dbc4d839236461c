#pragma once
// The display text of a numeric cell: its value rendered with the cell's
// number format code the way a spreadsheet shows it. One renderer serves both
// workbook formats. Format codes and results are CP1252 text. Pure functions,
// safe to call from any thread.
//
// What is rendered:
// - "General": whole numbers as "1"; other numbers rounded to 15 significant
//   digits and written in their shortest form ("0.5", "1234.5"); exponent
//   form ("1.5E+20") only below 1E-9 and from 1E+15 up.
// - Numbers: 0 # ? placeholders, thousands grouping and scaling by ',',
//   decimals, %, E+/E- exponents, literal text. Decimal point '.' and group
//   separator ',' are fixed. Fractions (# ?/?) and numbers in text-formatted
//   cells (@) are shown as General.
// - Dates and times: y, yy, yyyy, m..mmmmm, d..dddd, h, hh, m, mm (minutes
//   when after h or before s), s, ss, .0 to .000, AM/PM, A/P, [h] [m] [s]
//   elapsed; ':' becomes `timeSeparator`. The value is first rounded to the
//   smallest unit shown (whole seconds unless fractions of a second are
//   shown), then each part is shown truncated: 13:02:07.6 gives "13:02:08"
//   with hh:mm:ss, 13:02:08 gives "13:02" with hh:mm and 13:02:59.6 gives
//   "13:03" with hh:mm. Dates before serial 0 or after 9999-12-31 show as
//   General numbers. The 1900 system keeps the spreadsheet's leap day
//   1900-02-29 (serial 60).
// - Sections split by ';': the first for positive numbers (and negatives when
//   there is one section, with '-' in front), the second for negatives
//   (shown without sign), the third for zero. Colours, conditions and
//   locale tags in brackets are ignored; [$kr-414] shows "kr".
#include <string>
#include <string_view>

namespace sk {

struct NumberFormatOptions {
    char timeSeparator = ':';
    bool date1904 = false;
};

// The format code of a built-in number format id (0..49); "General" for
// ids without a built-in code.
std::string_view builtInNumberFormat(int id);

std::string formatNumber(double value, std::string_view formatCode,
                         const NumberFormatOptions& options);

std::string formatGeneral(double value);

}  // namespace sk
