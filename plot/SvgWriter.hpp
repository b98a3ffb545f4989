#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Writes one SVG document element by element: the one place that knows SVG's syntax.
// Coordinates are in pixels from the top left corner, written with two decimals. Text is
// printable ASCII and the few symbols the picture uses; any other byte becomes "?".
class SvgWriter {
  public:
    struct Point {
        double x, y;
    };
    struct Stroke {
        Stroke(std::string colour, double width = 1.0, double opacity = 1.0,
               std::string dashes = {})
            : colour(std::move(colour)),
              width(width),
              opacity(opacity),
              dashes(std::move(dashes)) {}
        std::string colour;
        double width;
        double opacity;
        std::string dashes;  // as SVG's stroke-dasharray, or empty for a solid line
    };
    enum class Anchor { start, middle, end };

    SvgWriter(std::ostream& out, double width, double height, std::string_view title);
    SvgWriter(const SvgWriter&) = delete;
    SvgWriter& operator=(const SvgWriter&) = delete;
    // Closes the document.
    ~SvgWriter();

    void line(Point from, Point to, const Stroke& stroke);
    // A line through the points in order, broken where a point has a coordinate that is
    // not a number.
    void path(const std::vector<Point>& points, const Stroke& stroke);
    void circle(Point centre, double radius, const std::string& fill, const Stroke& stroke);
    void rectangle(Point corner, double width, double height, const std::string& fill,
                   const Stroke& stroke);
    void text(Point at, std::string_view text, double size, Anchor anchor = Anchor::start,
              const std::string& colour = "black", bool bold = false);
    // Groups the elements written until the matching endGroup, with a title that an SVG
    // viewer shows as a tooltip and a class a test can find.
    void beginGroup(std::string_view className, std::string_view title = {});
    void endGroup();

    // Text is written at least this large from now on.
    void setLeastTextSize(double size) { leastTextSize_ = size; }

  private:
    void attribute(const char* name, double value);
    void attribute(const char* name, std::string_view value);
    void strokeAttributes(const Stroke& stroke);
    void escaped(std::string_view text);

    std::ostream& out_;
    double leastTextSize_ = 0;
};
