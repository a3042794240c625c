// Line-type definition files (.lin): text in the drawing's code page. A definition is a header
// line "*NAME[,description]" followed by a line "A,element,element,...": a positive number is a
// dash, a negative one a gap, 0 a dot (drawing units). A bracketed element embeds a text
// ["TEXT",STYLE,...] or a shape [NAME,FILE.SHX,...] at the end of the element before it, with
// optional S= scale, R= relative or A= absolute rotation (degrees; a "r" or "g" suffix for
// radians or grads), X= and Y= offsets. Lines starting with ";;" are comments.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace NUVAcad {

struct LinElement {
    enum Kind { Plain, Text, Shape };
    double length = 0.0;            // > 0 dash, < 0 gap, 0 dot
    Kind kind = Plain;              // what is embedded at its end
    std::string text;               // Text: the text; Shape: the shape's name
    std::string style;              // Text: the text style; Shape: the shape file
    double scale = 1.0;
    double rotation = 0.0;          // radians
    bool absoluteRotation = false;  // A= (upright whatever the line's direction) rather than R=
    double x = 0.0, y = 0.0;
};

struct LinDefinition {
    std::string name;
    std::string description;
    std::vector<LinElement> elements;
    int line = 0;  // where the header is, for messages

    double patternLength() const;
};

struct LinFile {
    std::vector<LinDefinition> types;
    // One message per refused line or definition: "file:line:column: what".
    std::vector<std::string> errors;
};

// Reads the text of a .lin file. Definitions with an error are left out (and reported); the
// others are kept. A name defined twice keeps its first definition.
LinFile ParseLinFile(std::string_view text, const std::string& fileName);

}  // namespace NUVAcad
