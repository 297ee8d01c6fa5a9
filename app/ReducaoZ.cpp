#include "ReducaoZ.h"

#include "Mensagens.h"

// The Z-reduction window is not part of the program yet; this is the one place
// that opens it.
void InformarReducaoZ(QWidget* dono, TFDMExporta&) {
    MostraMensagem(dono, "PRAXO",
                   "A digitação de Redução Z ainda não está disponível nesta versão do programa.",
                   IconeMensagem::Informacao);
}
