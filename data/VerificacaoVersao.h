// What the start-up version check asks of the platform: message boxes,
// starting another program, ending this one. The window program implements it
// with its toolkit; the tests with a recorder.
#pragma once

#include <string>
#include <vector>

enum class IconeMensagem { Informacao, Aviso, Erro, Pergunta };

class TPlataforma {
public:
    virtual ~TPlataforma() = default;
    // A modal message box with an OK button; lines are separated by "\r".
    virtual void Mensagem(const std::string& titulo, const std::string& texto, IconeMensagem icone) = 0;
    // Starts a program as a new process, minimised where the platform has
    // windows, without waiting for it and without a shell.
    virtual void IniciaProcesso(const std::string& programa, const std::vector<std::string>& argumentos) = 0;
    // Asks the application to end once the current event handling returns.
    virtual void TerminaAplicacao() = 0;
};

// Starts `programa` with `argumentos` (argv[1] onwards) without waiting for it;
// raises std::runtime_error when it cannot be started.
void IniciaProcessoDestacado(const std::string& programa, const std::vector<std::string>& argumentos);
