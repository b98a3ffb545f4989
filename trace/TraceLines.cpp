#include "trace/TraceLines.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace {

// Why a line is not JSON. A bare NaN or infinity, as Python's json.dumps and printf write
// them, gets the string the trace writes instead; `at` is where the parser stopped, from 1.
std::string notJson(std::string_view line, std::size_t at) {
    const auto letter = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; };
    std::size_t start = std::min(at, line.size()) - (at > 0 ? 1 : 0);
    while (start > 0 && letter(line[start - 1])) {
        --start;
    }
    std::size_t end = start;
    while (end < line.size() && letter(line[end])) {
        ++end;
    }
    std::string word(line.substr(start, end - start));
    std::transform(word.begin(), word.end(), word.begin(), [](char c) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    });
    const bool negative = start > 0 && line[start - 1] == '-';
    const std::string bare(
        line.substr(start - (negative ? 1 : 0), end - start + (negative ? 1 : 0)));
    const char* string = word == "nan"                                       ? "\"NaN\""
                         : (word == "inf" || word == "infinity") && negative ? "\"-Infinity\""
                         : word == "inf" || word == "infinity"               ? "\"Infinity\""
                                                                             : nullptr;
    if (string == nullptr) {
        return "not a JSON object";
    }
    return "not JSON: a bare " + bare + ", which JSON has no number for; write it as the string " +
           string + ", as the trace does";
}

}  // namespace

TraceLines::TraceLines(std::streambuf& in, std::string name)
    : in_(in), name_(std::move(name)), chunk_(std::make_unique<std::array<char, 64 * 1024>>()) {}

void TraceLines::unusable(const std::string& why) const {
    throw Unusable(name_ + ", line " + std::to_string(lineNumber_) + ": " + why);
}

std::optional<nlohmann::json> TraceLines::next() {
    for (;;) {
        std::optional<std::string_view> line = lines_.next();
        if (!line && !ended_) {
            const std::streamsize got = in_.sgetn(chunk_->data(), chunk_->size());
            ended_ = got <= 0;
            lines_.take({chunk_->data(), got > 0 ? static_cast<std::size_t>(got) : 0});
            continue;
        }
        if (!line) {
            line = lines_.last();
        }
        if (!line) {
            return std::nullopt;
        }
        ++lineNumber_;
        if (line->size() > longestLine) {
            unusable("a line longer than 1 MiB, which no trace has");
        }
        if (line->find_first_not_of(" \t\r") == line->npos) {
            continue;  // an empty line, as at the end of some writers' output
        }
        nlohmann::json object;
        try {
            object = nlohmann::json::parse(*line);
        } catch (const nlohmann::json::parse_error& error) {
            unusable(notJson(*line, error.byte));
        }
        if (!object.is_object()) {
            unusable("not a JSON object");
        }
        judgeKind(object);
        return object;
    }
}

void TraceLines::judgeKind(const nlohmann::json& line) const {
    const auto kind = line.find("kind");
    if (kind == line.end()) {
        unusable(R"(lacks the key "kind", one of "run", "target", "step" and "end")");
    }
    if (!(*kind == "run" || *kind == "target" || *kind == "step" || *kind == "end")) {
        unusable(R"(expected a "kind" of "run", "target", "step" or "end", found )" + kind->dump());
    }
    if (*kind == "step" && !wholeNumber(line, "step")) {
        unusable(line.contains("step")
                     ? "expected the step's number, \"step\", a whole number, found " +
                           line["step"].dump()
                     : "lacks the key \"step\", the step's number");
    }
}

std::optional<std::int64_t> TraceLines::wholeNumber(const nlohmann::json& line, const char* key) {
    const nlohmann::json value = line.value(key, nlohmann::json());
    if (value.is_number_integer()) {
        return value.get<std::int64_t>();
    }
    const double number = value.is_number_float() ? value.get<double>() : 0.5;
    return number == std::floor(number) && std::fabs(number) < 0x1p62
               ? std::optional(static_cast<std::int64_t>(number))
               : std::nullopt;
}
