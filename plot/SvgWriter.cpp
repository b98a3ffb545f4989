#include "plot/SvgWriter.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

SvgWriter::SvgWriter(std::ostream& out, double width, double height, std::string_view title)
    : out_(out) {
    out_ << R"(<?xml version="1.0" encoding="UTF-8"?>)" << '\n'
         << R"(<svg xmlns="http://www.w3.org/2000/svg")";
    attribute("width", width);
    attribute("height", height);
    attribute("viewBox", "0 0 " + std::to_string(static_cast<int>(width)) + ' ' +
                             std::to_string(static_cast<int>(height)));
    attribute("font-family", "DejaVu Sans, Arial, sans-serif");
    out_ << ">\n<title>";
    escaped(title);
    out_ << "</title>\n";
    rectangle({0, 0}, width, height, "white", {"none"});
}

SvgWriter::~SvgWriter() {
    out_ << "</svg>\n";
}

void SvgWriter::attribute(const char* name, double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    out_ << ' ' << name << "=\"" << text << '"';
}

void SvgWriter::attribute(const char* name, std::string_view value) {
    out_ << ' ' << name << "=\"";
    escaped(value);
    out_ << '"';
}

void SvgWriter::escaped(std::string_view text) {
    // Infinity, the triangles up and down and the ellipsis, in UTF-8.
    static constexpr std::string_view symbols[] = {"\xe2\x88\x9e", "\xe2\x96\xb2", "\xe2\x96\xbc",
                                                   "\xe2\x80\xa6"};
    for (std::size_t k = 0; k < text.size(); ++k) {
        const char c = text[k];
        const auto symbol = std::find_if(std::begin(symbols), std::end(symbols),
                                         [&](auto s) { return text.substr(k).starts_with(s); });
        if (symbol != std::end(symbols)) {
            out_ << *symbol;
            k += symbol->size() - 1;
            continue;
        }
        switch (c) {
            case '<':
                out_ << "&lt;";
                break;
            case '>':
                out_ << "&gt;";
                break;
            case '&':
                out_ << "&amp;";
                break;
            case '"':
                out_ << "&quot;";
                break;
            default:
                // Only printable ASCII: XML allows no control characters, and bytes
                // beyond ASCII need not be UTF-8 in a damaged transcript.
                out_ << (c >= 0x20 && c < 0x7f ? c : '?');
        }
    }
}

void SvgWriter::strokeAttributes(const Stroke& stroke) {
    attribute("stroke", stroke.colour);
    attribute("stroke-width", stroke.width);
    if (stroke.opacity < 1.0) {
        attribute("stroke-opacity", stroke.opacity);
    }
    if (!stroke.dashes.empty()) {
        attribute("stroke-dasharray", stroke.dashes);
    }
}

void SvgWriter::line(Point from, Point to, const Stroke& stroke) {
    out_ << "<line";
    attribute("x1", from.x);
    attribute("y1", from.y);
    attribute("x2", to.x);
    attribute("y2", to.y);
    strokeAttributes(stroke);
    out_ << "/>\n";
}

void SvgWriter::path(const std::vector<Point>& points, const Stroke& stroke) {
    out_ << R"(<path fill="none" d=")";
    bool broken = true;
    for (const Point& point : points) {
        if (std::isnan(point.x) || std::isnan(point.y)) {
            broken = true;
            continue;
        }
        char text[64];
        std::snprintf(text, sizeof text, "%s%.2f,%.2f", broken ? "M" : " ", point.x, point.y);
        out_ << text;
        broken = false;
    }
    out_ << '"';
    strokeAttributes(stroke);
    out_ << "/>\n";
}

void SvgWriter::circle(Point centre, double radius, const std::string& fill, const Stroke& stroke) {
    out_ << "<circle";
    attribute("cx", centre.x);
    attribute("cy", centre.y);
    attribute("r", radius);
    attribute("fill", fill);
    strokeAttributes(stroke);
    out_ << "/>\n";
}

void SvgWriter::rectangle(Point corner, double width, double height, const std::string& fill,
                          const Stroke& stroke) {
    out_ << "<rect";
    attribute("x", corner.x);
    attribute("y", corner.y);
    attribute("width", width);
    attribute("height", height);
    attribute("fill", fill);
    strokeAttributes(stroke);
    out_ << "/>\n";
}

void SvgWriter::text(Point at, std::string_view text, double size, Anchor anchor,
                     const std::string& colour, bool bold) {
    static constexpr const char* anchors[] = {"start", "middle", "end"};
    out_ << "<text";
    attribute("x", at.x);
    attribute("y", at.y);
    attribute("font-size", std::max(size, leastTextSize_));
    attribute("text-anchor", anchors[static_cast<int>(anchor)]);
    attribute("fill", colour);
    if (bold) {
        attribute("font-weight", "bold");
    }
    out_ << '>';
    escaped(text);
    out_ << "</text>\n";
}

void SvgWriter::beginGroup(std::string_view className, std::string_view title) {
    out_ << "<g";
    attribute("class", className);
    out_ << ">\n";
    if (!title.empty()) {
        out_ << "<title>";
        escaped(title);
        out_ << "</title>\n";
    }
}

void SvgWriter::endGroup() {
    out_ << "</g>\n";
}
