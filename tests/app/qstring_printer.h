#pragma once
// QString in GoogleTest's failure messages as text.

#include <ostream>

#include <QString>

inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
