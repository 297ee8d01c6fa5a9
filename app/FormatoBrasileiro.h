// Amounts and dates as a Brazilian reads them (1.234,56 and 31/03/2010),
// whatever the machine's locale.
#pragma once

#include "Valor.h"

#include <QString>
#include <optional>

QString FormataValor(double valor);  // "#,##0.00"
QString FormataData(Data data);      // dd/mm/aaaa
// A dd/mm/aaaa text as a date; nothing when it is empty or not a real date.
std::optional<Data> LeData(const QString& texto);
