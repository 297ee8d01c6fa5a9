// The operating system's error numbers told in Portuguese, for the messages
// the user reads (disk full, no permission, ...).
#pragma once

#include <string>

std::string DescricaoErroSistema(int erro);
