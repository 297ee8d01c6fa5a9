#include "AbreReducaoZ.h"

#include "DMNelvora.h"
#include "ReducaoZ.h"

// A new window on each opening, on the data module's connection; it is
// released when it closes, also when showing it failed.
void InformarReducaoZ(QWidget* dono, TFDMExporta& dm) {
    TFrmReducaoZ janela(dm.SQLConnectionPRAXO, dono);
    janela.exec();
}
