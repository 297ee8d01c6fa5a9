// A value passed to or read from the company database: nothing (NULL), an
// integer, a real number, a UTF-8 text or a calendar date.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <variant>

using Data = std::chrono::year_month_day;

using Valor = std::variant<std::monostate, std::int64_t, double, std::string, Data>;

inline Data FazData(int ano, unsigned mes, unsigned dia) {
    return Data{std::chrono::year{ano}, std::chrono::month{mes}, std::chrono::day{dia}};
}
