// Runs an SQL script on a database: statements ended by the terminator, which
// "SET TERM x ;" changes (for procedure bodies). Each statement is committed
// as it runs, so that later statements see the objects the earlier created.
#pragma once

#include "Firebird.h"

#include <string>
#include <vector>

std::vector<std::string> DivideScript(const std::string& texto);
void ExecutaScript(fb::Conexao& conexao, const std::string& texto);
void ExecutaArquivoScript(fb::Conexao& conexao, const std::string& caminho);
