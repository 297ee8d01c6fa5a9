// The bridge to the maker's shared library PraxoLib.dll: loaded from the
// program's folder at each call, one entry point looked up by name and called,
// and unloaded again, also when the call fails.
#pragma once

#include <stdexcept>
#include <string>

class ErroPraxoLib : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TPontePraxoLib {
public:
    // `pasta` is the folder the library lies in, ending with the separator;
    // empty: the folder of the running executable.
    explicit TPontePraxoLib(std::string pasta = {});

    std::string CaminhoBiblioteca() const;

    // True when the database's version is newer than the program's.
    bool ExisteAtualizacao(const std::string& versaoBanco, const std::string& versaoPrograma) const;
    // Raises the bridge's error now when the library or its signing entry
    // point is missing, so that a run that must sign fails before it starts.
    void VerificaGeraEAD() const;
    // Appends the file's digital signature record, a line beginning with "EAD".
    void GeraEAD(const std::string& texto, const std::string& arquivo, unsigned char indicador) const;

private:
    std::string pasta_;
};
