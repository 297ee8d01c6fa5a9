// Date operations shared by the main window and the Z-reduction window. Dates
// are calendar dates without a time of day.
#pragma once

#include "Valor.h"

#include <string>

Data PrimeiroDiaMes(Data data);
Data UltimoDiaMes(Data data);
// yyyy/mm/dd, as the Z-reduction window writes dates into SQL text.
std::string InverteData(Data data);
// The program's date text: dd/mm/yyyy, whatever the machine's settings.
std::string TextoData(Data data);
// Reads dd/mm/yyyy; false when the text is not a valid date.
bool LeTextoData(const std::string& texto, Data& data);
// Today, by the machine's clock and time zone.
Data Hoje();
