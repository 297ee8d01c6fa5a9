// The check of a Sintegra file from the main window: the menu entry that
// checks any file, and the check after each export. The file choice and the
// dialog go through this seam, so that tests need no person.
#pragma once

#include <functional>
#include <string>

class QWidget;

// The file to check, chosen by the person; empty when they give up.
std::string EscolheArquivoSintegra(QWidget* pai, const std::string& pasta);
// Shows the findings and the summary of the file in the check's dialog.
void MostraVerificacao(QWidget* pai, const std::string& arquivo);

// Who chooses the file and who shows the dialog from now on; empty gives the
// real ones back.
void DefineEscolhaArquivoSintegra(std::function<std::string(const std::string& pasta)> escolha);
void DefineMostraVerificacao(std::function<void(const std::string& arquivo)> mostra);
