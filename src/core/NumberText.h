#pragma once
#include <QString>

// The numeric value of a text's leading number: optional blanks, an optional
// sign, digits with "." as the decimal point; parsing stops at the first other
// character and no number gives 0 ("12ab" is 12, "2.5" is 2.5, "abc" is 0).
double leadingNumber(const QString &text);
