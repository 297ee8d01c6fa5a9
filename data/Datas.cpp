#include "Datas.h"

#include <cstdio>
#include <ctime>

Data PrimeiroDiaMes(Data data) { return data.year() / data.month() / std::chrono::day{1}; }

Data UltimoDiaMes(Data data) {
    return Data{std::chrono::year_month_day_last{data.year(),
                                                 std::chrono::month_day_last{data.month()}}};
}

std::string TextoData(Data data) {
    char t[16];
    std::snprintf(t, sizeof t, "%02u/%02u/%04d", static_cast<unsigned>(data.day()),
                  static_cast<unsigned>(data.month()), static_cast<int>(data.year()));
    return t;
}

std::string InverteData(Data data) {
    // Day, month and year cut out of the program's date text dd/mm/yyyy.
    const std::string t = TextoData(data);
    return t.substr(6, 4) + "/" + t.substr(3, 2) + "/" + t.substr(0, 2);
}

bool LeTextoData(const std::string& texto, Data& data) {
    int d, m, a;
    char resto;
    if (std::sscanf(texto.c_str(), "%2d/%2d/%4d%c", &d, &m, &a, &resto) != 3) return false;
    if (d <= 0 || m <= 0) return false;
    data = FazData(a, static_cast<unsigned>(m), static_cast<unsigned>(d));
    return data.ok();
}

Data Hoje() {
    const std::time_t agora = std::time(nullptr);
    std::tm local{};
    localtime_r(&agora, &local);
    return FazData(local.tm_year + 1900, static_cast<unsigned>(local.tm_mon + 1),
                   static_cast<unsigned>(local.tm_mday));
}
