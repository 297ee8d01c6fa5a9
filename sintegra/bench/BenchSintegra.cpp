// How fast the writer turns values into lines on disk: records 54 and 60I,
// written into a real file. The "items_per_second" column is records per second.
#include "Sintegra.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

namespace {

using sintegra::tSintegra;

const sintegra::Data Dia{std::chrono::year{2010}, std::chrono::month{3}, std::chrono::day{5}};

std::string Pasta() {
    return (std::filesystem::temp_directory_path() / "").string();
}

void BM_Registro54(benchmark::State& estado) {
    tSintegra s(Pasta());
    s.AbreArquivo("BENCH54.TXT");
    long i = 0;
    for (auto _ : estado) {
        s.Registro54("12.345.678/0001-95", "55", "1", "123456", "5102", "000", "12",
                     "PRODUTO-0001", 3.0 + static_cast<double>(i % 7), 1500.75, 12.5, 1500.75,
                     0, 15.0075, 17);
        ++i;
    }
    s.FechaArquivo();
    std::filesystem::remove(s.NomeArquivoCompleto());
    estado.SetItemsProcessed(estado.iterations());
}
BENCHMARK(BM_Registro54)->MinTime(1.0);

void BM_Registro60I(benchmark::State& estado) {
    tSintegra s(Pasta());
    s.AbreArquivo("BENCH60I.TXT");
    int i = 0;
    for (auto _ : estado) {
        // Coupon numbers stay within their six digits, as a printer's do.
        s.Registro60I("BE051234567890123456", "2D", Dia, "PRODUTO-0001", "1700",
                      100000 + i % 900000, 1 + i % 30, 2.5, 37.9, 37.9, 6.443);
        ++i;
    }
    s.FechaArquivo();
    std::filesystem::remove(s.NomeArquivoCompleto());
    estado.SetItemsProcessed(estado.iterations());
}
BENCHMARK(BM_Registro60I)->MinTime(1.0);

// Accented text takes the conversion's slow path.
void BM_Registro75ComAcentos(benchmark::State& estado) {
    tSintegra s(Pasta());
    s.AbreArquivo("BENCH75.TXT");
    for (auto _ : estado)
        s.Registro75("PRODUTO-0001", "", Dia, Dia, "CAFÉ TORRADO E MOÍDO À VÁCUO 500G", "PÇ",
                     10, 17, 0, 0);
    s.FechaArquivo();
    std::filesystem::remove(s.NomeArquivoCompleto());
    estado.SetItemsProcessed(estado.iterations());
}
BENCHMARK(BM_Registro75ComAcentos)->MinTime(1.0);

}  // namespace

BENCHMARK_MAIN();
