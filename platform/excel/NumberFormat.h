// The text a cell shows, rendered from its value and number format the way the spreadsheet shows
// it in a column wide enough for it. Formats are the spreadsheet's codes: up to four sections
// (positive; negative; zero; text), digit placeholders 0 # ?, a decimal point, thousands
// separators and scaling commas, percent, scientific E+/E-, "quoted" and \escaped literals,
// _x spaces, [colour] tags (ignored), the text placeholder @, "General", and the date and time
// codes y m d h s AM/PM for serial dates. Numbers are first rounded to 15 significant digits, the
// spreadsheet's precision, and halves round away from zero.
#pragma once

#include <string>

namespace NUVExcel {

// "General": up to 11 characters, switching to scientific notation ("1.23457E+11") for numbers
// that do not fit or are smaller than 1E-4.
std::string FormatGeneral(double value);

std::string FormatNumber(double value, const std::string& format);
std::string FormatText(const std::string& text, const std::string& format);

// True when the format shows dates or times (its first section uses y, m, d, h or s codes).
bool IsDateFormat(const std::string& format);

}  // namespace NUVExcel
