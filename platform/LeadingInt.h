#pragma once
// The ordinary leading-digits conversion of stored numbers (settings values,
// tag fields): optional blanks and a sign, then digits; 0 when there are none.
// Saturates instead of overflowing.

#include <QByteArrayView>
#include <QStringView>

namespace sonvelle {

int LeadingInt(QStringView text);
int LeadingInt(QByteArrayView text);

}  // namespace sonvelle
