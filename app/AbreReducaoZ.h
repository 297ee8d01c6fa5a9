// The Z-reduction entry, opened from the menu "Informar Redução Z ECF".
#pragma once

class QWidget;
class TFDMExporta;

// Opens the Z-reduction window modally over `dono` on the data module's
// connection, and releases it when it closes.
void InformarReducaoZ(QWidget* dono, TFDMExporta& dm);
