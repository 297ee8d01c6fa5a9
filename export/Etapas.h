// The stages of the export run and what they share while it runs.
#pragma once

#include "DMNelvora.h"
#include "Exportacao.h"
#include "ListaProdutos.h"
#include "Regras.h"
#include "Sintegra.h"

#include <unordered_map>

struct ContextoExportacao {
    TFDMExporta& dm;
    sintegra::tSintegra& GeradorSintegra;
    const OpcoesExportacao& opcoes;
    EstadoExportacao& estado;
    TProgressoExportacao& progresso;
    TCDSRegistro75& CDSRegistro75;
    int contador = 0;  // the progress counter of the stage that walks a table
    // The model of each document's record 50 by ChaveDocumento; empty when
    // its documents disagree or it has none.
    std::unordered_map<std::string, std::string> modelosDocumentos;

    // What the run is doing, for the message of an error that ends it.
    std::string etapa;        // "documentos (registros 10, 11 e 50)"
    std::string referencia;   // "nota 123 (movimento 45)"

    bool Cancelado() const { return estado.CancelaExportacao.load(); }
    void Etapa(std::string nome) {
        etapa = std::move(nome);
        Referencia({});
    }
    // What the next rows read and records written are for; a refused value
    // of the writer names it too.
    void Referencia(std::string texto) {
        referencia = std::move(texto);
        GeradorSintegra.DefineReferencia(referencia);
    }
    std::int64_t CodigoEmpresa() const { return opcoes.empresa; }
    std::string Empresa(const char* coluna) const {
        return dm.ClientEmpresaLocal.Campo(coluna).Texto();
    }
};

void EtapaDocumentos(ContextoExportacao& c);        // records 10, 11 and 50
void EtapaItens(ContextoExportacao& c);             // records 54 and the product list
void EtapaCuponsECF(ContextoExportacao& c);         // records 60M, 60A, 60D, 60I (typed-in reductions)
void ExportaCupomPAF_ECF(ContextoExportacao& c);    // the same from the PAF-ECF tables
void EtapaPeriodoECF(ContextoExportacao& c);        // records 60R
void EtapaNotasModelo2(ContextoExportacao& c);      // records 61 and 61R
void EtapaInventario(ContextoExportacao& c);        // records 74
void EtapaProdutos(ContextoExportacao& c);          // records 75
void EtapaFinal(ContextoExportacao& c);             // records 88 and 90

// A document of the movement list by its direction, customer document, number
// and series, blanks around each left out.
std::string ChaveDocumento(const std::string& movimento, const std::string& docConsumidor,
                           const std::string& numero, const std::string& serie);
void ColheModelosDocumentos(ContextoExportacao& c);

// The model of records 50 and 54, or a conversion error that names the document.
std::string ModeloOuErro(const std::string& codigo, const std::string& movimento,
                         const std::string& numeroDocumento);
