// What the program asks of the operating system about itself.
#pragma once

#include <string>

// The full path of the running executable.
std::string CaminhoDoExecutavel();
// The folder of the running executable, ending with the path separator.
std::string PastaDoExecutavel();
