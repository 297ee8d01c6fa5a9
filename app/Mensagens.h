// Every message box of the window program goes through here, so that a test
// can answer them without a person. Texts use "\r" between lines, as the
// messages are written; the box shows them as line breaks.
#pragma once

#include "VerificacaoVersao.h"

#include <functional>
#include <string>

class QWidget;

enum class BotoesMensagem { Ok, SimNao };
enum class RespostaMensagem { Ok, Sim, Nao };

struct PedidoMensagem {
    std::string titulo;
    std::string texto;
    IconeMensagem icone = IconeMensagem::Informacao;
    BotoesMensagem botoes = BotoesMensagem::Ok;
};

using RespondeMensagem = std::function<RespostaMensagem(const PedidoMensagem&)>;

// A modal message box; returns the button pressed.
RespostaMensagem MostraMensagem(QWidget* pai, const std::string& titulo, const std::string& texto,
                                IconeMensagem icone, BotoesMensagem botoes = BotoesMensagem::Ok);

// Who answers the boxes from now on; empty gives the real boxes back.
void DefineRespostaMensagens(RespondeMensagem resposta);

// The program's general error handler: an error no handler caught, shown in a
// box with its text, titled with the application's title. The program goes on.
void MostraErroGeral(QWidget* pai, const std::string& texto);
