// ReducaoZ: the Z-reduction window on its own, on the database that
// dbxconnections.ini beside the program names, until the main window's menu
// opens it.
#include "ReducaoZ.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication aplicacao(argc, argv);
    TFDMExporta modulo;
    TFrmReducaoZ janela(modulo.SQLConnectionPRAXO);
    janela.exec();
    return 0;
}
