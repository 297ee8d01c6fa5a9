// Where a run may write its file: never onto another kind of file, nor onto
// the database or the configuration the program reads.
#pragma once

#include "DMNelvora.h"

#include <string>

// Empty when the file may be written there; otherwise the reason, for the user.
std::string MotivoDestinoRecusado(TFDMExporta& dm, const std::string& caminho);
