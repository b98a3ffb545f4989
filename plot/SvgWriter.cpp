#include "plot/SvgWriter.hpp"

#include <cstdio>

SvgWriter::SvgWriter(std::ostream& out, double width, double height, std::string_view title)
    : out_(out) {
    out_ << R"(<?xml version="1.0" encoding="UTF-8"?>)" << '\n'
         << R"(<svg xmlns="http://www.w3.org/2000/svg" width=")";
    number(width);
    out_ << R"(" height=")";
    number(height);
    out_ << R"(" viewBox="0 0 )";
    number(width);
    out_ << ' ';
    number(height);
    out_ << R"(" font-family="DejaVu Sans, Arial, sans-serif">)"
         << "\n<title>";
    escaped(title);
    out_ << "</title>\n";
    rectangle({0, 0}, width, height, "white", {"none"});
}

SvgWriter::~SvgWriter() {
    out_ << "</svg>\n";
}

void SvgWriter::number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    out_ << text;
}

void SvgWriter::escaped(std::string_view text) {
    for (const char c : text) {
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
    out_ << R"( stroke=")" << stroke.colour << R"(" stroke-width=")";
    number(stroke.width);
    if (stroke.opacity < 1.0) {
        out_ << R"(" stroke-opacity=")";
        number(stroke.opacity);
    }
    if (!stroke.dashes.empty()) {
        out_ << R"(" stroke-dasharray=")" << stroke.dashes;
    }
    out_ << '"';
}

void SvgWriter::line(Point from, Point to, const Stroke& stroke) {
    out_ << R"(<line x1=")";
    number(from.x);
    out_ << R"(" y1=")";
    number(from.y);
    out_ << R"(" x2=")";
    number(to.x);
    out_ << R"(" y2=")";
    number(to.y);
    out_ << '"';
    strokeAttributes(stroke);
    out_ << "/>\n";
}

void SvgWriter::polyline(const std::vector<Point>& points, const Stroke& stroke) {
    out_ << R"(<polyline fill="none" points=")";
    for (std::size_t k = 0; k < points.size(); ++k) {
        out_ << (k == 0 ? "" : " ");
        number(points[k].x);
        out_ << ',';
        number(points[k].y);
    }
    out_ << '"';
    strokeAttributes(stroke);
    out_ << "/>\n";
}

void SvgWriter::circle(Point centre, double radius, const std::string& fill, const Stroke& stroke) {
    out_ << R"(<circle cx=")";
    number(centre.x);
    out_ << R"(" cy=")";
    number(centre.y);
    out_ << R"(" r=")";
    number(radius);
    out_ << R"(" fill=")" << fill << '"';
    strokeAttributes(stroke);
    out_ << "/>\n";
}

void SvgWriter::rectangle(Point corner, double width, double height, const std::string& fill,
                          const Stroke& stroke) {
    out_ << R"(<rect x=")";
    number(corner.x);
    out_ << R"(" y=")";
    number(corner.y);
    out_ << R"(" width=")";
    number(width);
    out_ << R"(" height=")";
    number(height);
    out_ << R"(" fill=")" << fill << '"';
    strokeAttributes(stroke);
    out_ << "/>\n";
}

void SvgWriter::text(Point at, std::string_view text, double size, Anchor anchor,
                     const std::string& colour, bool bold) {
    static constexpr const char* anchors[] = {"start", "middle", "end"};
    out_ << R"(<text x=")";
    number(at.x);
    out_ << R"(" y=")";
    number(at.y);
    out_ << R"(" font-size=")";
    number(size);
    out_ << R"(" text-anchor=")" << anchors[static_cast<int>(anchor)] << R"(" fill=")" << colour
         << '"' << (bold ? R"( font-weight="bold")" : "") << '>';
    escaped(text);
    out_ << "</text>\n";
}

void SvgWriter::beginGroup(std::string_view className, std::string_view title) {
    out_ << R"(<g class=")";
    escaped(className);
    out_ << "\">\n";
    if (!title.empty()) {
        out_ << "<title>";
        escaped(title);
        out_ << "</title>\n";
    }
}

void SvgWriter::endGroup() {
    out_ << "</g>\n";
}
