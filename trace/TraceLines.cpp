#include "trace/TraceLines.hpp"

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
        nlohmann::json object = nlohmann::json::parse(*line, nullptr, false);
        if (!object.is_object()) {
            unusable("not a JSON object");
        }
        return object;
    }
}
