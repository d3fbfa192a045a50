#pragma once
#include <QString>

#include <ostream>

// Texts in test failure reports as text, not as code units.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}
