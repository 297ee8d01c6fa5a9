// Runs an SQL script on a database: statements ended by the terminator, which
// "SET TERM x ;" changes (for procedure bodies). Each statement is committed
// as it runs, so that later statements see the objects the earlier created.
#pragma once

#include "Firebird.h"

#include <string>
#include <vector>

#include <string_view>

// Quoted text and comments are what no scan of SQL text may look inside: the
// end of the one that starts at `i` ('...', "...", -- to the line's end,
// /* ... */), or `i` when none starts there.
std::size_t FimDeTextoOuComentario(std::string_view sql, std::size_t i);
bool ComecaComentario(std::string_view sql, std::size_t i);

std::vector<std::string> DivideScript(const std::string& texto);
void ExecutaScript(fb::Conexao& conexao, const std::string& texto);
void ExecutaArquivoScript(fb::Conexao& conexao, const std::string& caminho);
