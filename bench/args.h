// The benchmark programs' command lines: "--name value" options, with
// numbers and comma-separated number lists.
//
// Main thread; throws std::invalid_argument for an option without a value or
// a value that is not a number, naming the option.
#pragma once

#include <string>
#include <vector>

class BenchArgs {
  public:
    BenchArgs(int argc, char** argv);

    bool Has(const std::string& name) const;
    std::string Text(const std::string& name, const std::string& fallback) const;
    int Int(const std::string& name, int fallback) const;
    double Real(const std::string& name, double fallback) const;
    std::vector<int> Ints(const std::string& name, const std::vector<int>& fallback) const;

  private:
    const std::string* Find(const std::string& name) const;
    std::vector<std::string> args_;
};
