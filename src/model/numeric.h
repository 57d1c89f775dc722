// Small numeric helpers shared by captions, files, tables and the report.
#pragma once

#include <string>

namespace vemra {

// Threshold of Chop; the actual-value computation resets it before use.
extern double ChopEps;

// X with at most `digits` significant digits in the product's own notation:
// " 12.5", "-0.5", " 0.1235E+06", " 0.0"; a sign or a blank always leads.
std::string FormatSig(int digits, double x);

// 0 when |x| < ChopEps, x otherwise.
double Chop(double x);

// The decimal separator the report shows. The application sets it from the
// user's locale; the core never reads the locale itself.
void setLocaleDecimalSeparator(char separator);
char localeDecimalSeparator();

// s with its first "." (or, lacking one, its first ",") replaced by the
// locale's decimal separator.
std::string LocalizeDecimal(std::string s);

// Cuts a model string to 255 characters (UTF-8 aware: characters, not bytes).
std::string cut255(const std::string& s);

} // namespace vemra
