#include "trace/TraceWriter.hpp"

#include <cstdio>
#include <ostream>

#include "trace/JsonNumber.hpp"

void TraceWriter::key(std::string_view name) {
    line_ += line_.empty() ? "{\"" : ",\"";
    line_ += name;
    line_ += "\":";
}

void TraceWriter::number(double value) {
    char text[JsonNumber::longest];
    line_.append(text, JsonNumber::write(value, text));
}

void TraceWriter::numbers(std::span<const double> values) {
    line_ += '[';
    for (std::size_t k = 0; k < values.size(); ++k) {
        if (k > 0) {
            line_ += ',';
        }
        number(values[k]);
    }
    line_ += ']';
}

void TraceWriter::matrix(const Matrix& matrix) {
    line_ += '[';
    for (std::int32_t i = 0; i < matrix.rows(); ++i) {
        line_ += i > 0 ? "," : "";
        numbers(matrix.row(i));
    }
    line_ += ']';
}

void TraceWriter::text(std::string_view words) {
    line_ += '"';
    for (const char c : words) {
        if (c == '"' || c == '\\') {
            line_ += '\\';
            line_ += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            line_ += escape;
        } else {
            line_ += c;
        }
    }
    line_ += '"';
}

void TraceWriter::finishLine() {
    line_ += "}\n";
    out_.write(line_.data(), static_cast<std::streamsize>(line_.size()));
    line_.clear();
}

void TraceWriter::run(const Run& run) {
    key("kind");
    text("run");
    key("input");
    numbers(run.input.elements());
    key("sizes");
    line_ += '[' + std::to_string(run.input.size());
    for (const Matrix& w : run.weights) {
        line_ += ',' + std::to_string(w.cols());
    }
    line_ += ']';
    key("W");
    line_ += '[';
    for (std::size_t g = 0; g < run.weights.size(); ++g) {
        line_ += g > 0 ? "," : "";
        matrix(run.weights[g]);
    }
    line_ += ']';
    for (const auto& [name, value] : {std::pair("eta", run.eta),
                                      {"alpha", run.alpha},
                                      {"limit", run.limit},
                                      {"slope", run.slope},
                                      {"offset", run.offset}}) {
        key(name);
        number(value);
    }
    key("stepLimit");
    line_ += std::to_string(run.stepLimit);
    if (run.seed) {
        key("seed");
        line_ += std::to_string(*run.seed);
    }
    finishLine();
}

void TraceWriter::target(const Vector& D, std::optional<std::int32_t> unread) {
    key("kind");
    text("target");
    key("D");
    numbers(D.elements());
    key("unread");
    line_ += unread ? std::to_string(*unread) : "null";
    finishLine();
}

void TraceWriter::step(const Step& step) {
    key("kind");
    text("step");
    key("step");
    line_ += std::to_string(step.step);
    key("E");
    number(step.E);
    key("layers");
    line_ += '[';
    for (std::size_t g = 0; g < step.outputs.size(); ++g) {
        line_ += g > 0 ? ",{" : "{";
        line_ += "\"s\":";
        numbers(step.sums[g].elements());
        line_ += ",\"y\":";
        numbers(step.outputs[g].elements());
        line_ += ",\"delta\":";
        numbers(step.deltas[g].elements());
        line_ += ",\"dW\":";
        matrix(step.changes[g]);
        line_ += ",\"W\":";
        matrix(step.weights[g]);
        if (!step.previous.empty()) {
            line_ += ",\"P\":";
            matrix(step.previous[g]);
            line_ += ",\"Wbefore\":";
            matrix(step.before[g]);
        }
        line_ += '}';
    }
    line_ += ']';
    finishLine();
}

void TraceWriter::end(const End& end) {
    key("kind");
    text("end");
    key("ended");
    text(end.ended);
    key("why");
    if (end.why.empty()) {
        line_ += "null";
    } else {
        text(end.why);
    }
    if (end.steps) {
        key("steps");
        line_ += std::to_string(*end.steps);
    }
    if (end.E) {
        key("E");
        number(*end.E);
    }
    key("status");
    line_ += std::to_string(end.status);
    finishLine();
}
