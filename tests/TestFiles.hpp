#pragma once

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

// A file of the tests' folder, whole.
inline std::string fileText(const std::string& name) {
    std::ifstream file(TESTS_DIR "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

// The rows of a table of the tests' folder, their tab-separated fields; lines that begin
// with '#' are comments.
inline std::vector<std::vector<std::string>> tableRows(const std::string& name) {
    std::istringstream table(fileText(name));
    std::vector<std::vector<std::string>> rows;
    for (std::string line; std::getline(table, line);) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::vector<std::string>& fields = rows.emplace_back();
        std::istringstream cells(line);
        for (std::string field; std::getline(cells, field, '\t');) {
            fields.push_back(field);
        }
    }
    return rows;
}
