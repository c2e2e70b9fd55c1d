// The benchmark programs' command lines; see the header.
#include "bench/args.h"

#include <cstdlib>
#include <stdexcept>

BenchArgs::BenchArgs(int argc, char** argv) : args_(argv + (argc > 0 ? 1 : 0), argv + argc) {}

const std::string* BenchArgs::Find(const std::string& name) const {
    for (std::size_t i = 0; i < args_.size(); ++i) {
        if (args_[i] != "--" + name) continue;
        if (i + 1 >= args_.size()) throw std::invalid_argument("--" + name + " needs a value");
        return &args_[i + 1];
    }
    return nullptr;
}

bool BenchArgs::Has(const std::string& name) const {
    for (const std::string& arg : args_) {
        if (arg == "--" + name) return true;
    }
    return false;
}

std::string BenchArgs::Text(const std::string& name, const std::string& fallback) const {
    const std::string* value = Find(name);
    return value != nullptr ? *value : fallback;
}

namespace {

double ParseNumber(const std::string& name, const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0')
        throw std::invalid_argument("--" + name + ": '" + text + "' is not a number");
    return value;
}

}  // namespace

int BenchArgs::Int(const std::string& name, int fallback) const {
    const std::string* value = Find(name);
    return value != nullptr ? static_cast<int>(ParseNumber(name, *value)) : fallback;
}

double BenchArgs::Real(const std::string& name, double fallback) const {
    const std::string* value = Find(name);
    return value != nullptr ? ParseNumber(name, *value) : fallback;
}

std::vector<int> BenchArgs::Ints(const std::string& name, const std::vector<int>& fallback) const {
    const std::string* value = Find(name);
    if (value == nullptr) return fallback;
    std::vector<int> numbers;
    std::size_t start = 0;
    while (start <= value->size()) {
        const std::size_t comma = value->find(',', start);
        const std::size_t end = comma == std::string::npos ? value->size() : comma;
        numbers.push_back(static_cast<int>(ParseNumber(name, value->substr(start, end - start))));
        start = end + 1;
    }
    return numbers;
}
